// An engine on its own pseudo-terminal, with the test host and a scripted device end.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "core/Catalogue.h"
#include "core/Globals.h"
#include "engine/RemovableDrive.h"
#include "engine/Serial.h"
#include "tests/common/TestSupport.h"
#include "tests/engine/EngineTestSupport.h"

namespace orv::test {

constexpr char kAck = 0x06;
constexpr char kRetry = 0x0F;
constexpr char kEnq = 0x05;

class EngineFixture : public ::testing::Test {
protected:
    void SetUp() override {
        g_nSerialTimeout = 1000;
        g_Globals.SelectModel(0);
        g_Globals.BaudIndex = -1;
        g_Globals.CommPort = 1;
        SetRemovableDriveTest([](const std::string&) { return false; });
        host.Attach(&port);
        port.SetDevicePath(peer.SlavePath());
        ASSERT_TRUE(port.OpenPort()) << ::testing::PrintToString(host.Messages());
    }
    void TearDown() override {
        port.ClosePort();
        host.Stop();
        SetRemovableDriveTest(nullptr);
        g_nSerialTimeout = kDefaultSerialTimeout;
    }

    // As the program does: the engine takes the model when the port opens.
    void SelectModel(uint32_t modelId) {
        port.ClosePort();
        g_Globals.SelectModel(ModelIndexOf(modelId));
        ASSERT_TRUE(port.OpenPort()) << ::testing::PrintToString(host.Messages());
    }

    // The device asks for a transfer and names the operation; returns what the
    // engine answered after the operation letter (normally ACK).
    std::string Request(char operation, size_t answerBytes = 1) {
        peer.Send("?");
        EXPECT_EQ(peer.Read(1), "C");
        peer.Send(std::string(1, operation));
        return peer.Read(answerBytes);
    }

    // The device sends one record and returns the engine's one-byte answer.
    std::string SendRecord(const std::string& record) {
        peer.Send(record);
        return peer.Read(1);
    }

    // The device reads one record (up to LF) and acknowledges it.
    std::string TakeRecord() {
        std::string r = peer.ReadUntil("\n");
        peer.Send(std::string(1, kAck));
        return r;
    }

    // The worker clears its state after the host has seen the outcome; a
    // device that asks again at once would race it.
    void WaitIdle() {
        for (int i = 0; i < 200 && port.IsTransferring(); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        ASSERT_FALSE(port.IsTransferring());
    }

    std::string Path(const std::string& name) const { return (dir / name).string(); }

    CapturingReporter reporter;  // internal errors land here
    TempDir dir;
    PtyPeer peer;
    TestHost host;
    CORVSerialPort port{host};
};

}  // namespace orv::test
