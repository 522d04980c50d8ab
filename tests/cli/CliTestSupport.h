// orv-cli run as scripts run it: a separate process in a folder of its own,
// with a profile of its own, optionally serving a simulated device.
#pragma once

#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "devsim/SimulatedDevice.h"
#include "tests/common/TestSupport.h"

extern char** environ;

namespace orv::test {

struct Result {
    int exitCode = -1;
    std::string out;
    std::string err;
};

class CliTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Never the user's own profile.
        ::setenv("XDG_CONFIG_HOME", (dir / "config").c_str(), 1);
    }

    // Runs orv-cli in dir with stdin from input; output is collected in files.
    Result Cli(const std::vector<std::string>& args, const std::string& input = "") {
        return FinishCli(StartCli(args, input));
    }

    // Starts orv-cli as Cli does and returns its process id (-1 on failure).
    pid_t StartCli(const std::vector<std::string>& args, const std::string& input = "") {
        WriteFileBytes(dir / "stdin", input);
        std::string cmd = "cd '" + dir.Path().string() + "' && exec '" ORV_CLI_BIN "'";
        for (const std::string& a : args) {
            cmd += " '" + a + "'";
        }
        cmd += " <stdin >stdout 2>stderr";
        const char* argv[] = {"sh", "-c", cmd.c_str(), nullptr};
        pid_t pid = -1;
        if (::posix_spawn(&pid, "/bin/sh", nullptr, nullptr, const_cast<char**>(argv), environ) !=
            0) {
            return -1;
        }
        return pid;
    }

    // Waits for a process of StartCli; a process ended by a signal has exit code -1.
    Result FinishCli(pid_t pid) {
        Result r;
        if (pid <= 0) {
            return r;
        }
        int status = 0;
        ::waitpid(pid, &status, 0);
        r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        r.out = ReadFileBytes(dir / "stdout");
        r.err = ReadFileBytes(dir / "stderr");
        return r;
    }

    // The device asks for one operation while orv-cli serves it.
    Result Serve(devsim::SimulatedDevice& device, devsim::Script script,
                 const std::vector<std::string>& args, devsim::Outcome* outcome = nullptr) {
        script.repeatRequestMs = 300;  // until orv-cli has opened the port
        device.Start(std::move(script));
        std::vector<std::string> full = {"--port",  device.PortPath(), "--model",
                                         "Mirelda", "--timeout",       "1"};
        full.insert(full.end(), args.begin(), args.end());
        Result r = Cli(full);
        std::optional<devsim::Outcome> o = device.Wait(std::chrono::seconds(15));
        if (!o) {
            device.Stop();
        } else if (outcome) {
            *outcome = *o;
        }
        return r;
    }

    static std::string Joined(const devsim::MemoryImage& records) {
        std::string s;
        for (const std::string& r : records) {
            s += r + "\r\n";
        }
        return s;
    }

    TempDir dir;
};

}  // namespace orv::test
