// orv-devsim: its options, and the program itself driven over its pty.
#include <gtest/gtest.h>

#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "tests/common/TestSupport.h"
#include "tests/devsim/Peer.h"
#include "tools/devsim/CommandLine.h"

extern char** environ;

namespace orv::devsim {
namespace {

using namespace std::chrono_literals;

std::optional<CommandLine> Parse(std::vector<std::string> args, std::string* error = nullptr) {
    CommandLine out;
    std::string why;
    if (!ParseCommandLine(args, out, why)) {
        if (error) {
            *error = why;
        }
        return std::nullopt;
    }
    return out;
}

TEST(DevsimCommandLine, ModelsByNameIndexOrId) {
    EXPECT_EQ(ParseModel("mirelda"), 32776u);
    EXPECT_EQ(ParseModel("CORVANE"), 32771u);
    EXPECT_EQ(ParseModel("9"), 32780u);
    EXPECT_EQ(ParseModel("32772"), 32772u);
    EXPECT_EQ(ParseModel("10"), std::nullopt);
    EXPECT_EQ(ParseModel("32781"), std::nullopt);
    EXPECT_EQ(ParseModel("Mirel"), std::nullopt);
    EXPECT_EQ(ParseModel(""), std::nullopt);
}

TEST(DevsimCommandLine, OptionsFillTheScript) {
    auto c = Parse({"--op",
                    "L",
                    "--model",
                    "Quenlow",
                    "--received",
                    "out.ORV",
                    "--timeout",
                    "1500",
                    "--user-timeout",
                    "forever",
                    "--repeat-request",
                    "0",
                    "--refuse",
                    "3:10",
                    "--refusal-byte",
                    "1A",
                    "--silence",
                    "end:forever",
                    "--enq",
                    "2:700",
                    "--bad-checksum",
                    "4",
                    "--lower-hex",
                    "5:2",
                    "--halt-after",
                    "7",
                    "--handshake-byte",
                    "0x5A",
                    "--noise",
                    "12",
                    "--seed",
                    "9",
                    "--lf-only",
                    "--refuse-bad",
                    "--no-strict-end-mark",
                    "--wait-open",
                    "3000"});
    ASSERT_TRUE(c);
    EXPECT_EQ(c->modelId, 32778u);
    EXPECT_EQ(c->script.letter, 'L');
    EXPECT_EQ(c->receivedFile, std::filesystem::path("out.ORV"));
    EXPECT_EQ(c->script.timeoutMs, 1500);
    EXPECT_EQ(c->script.userTimeoutMs, kForever);
    EXPECT_EQ(c->script.repeatRequestMs, 0);
    EXPECT_EQ(c->waitOpenMs, 3000);
    const Faults& f = c->script.faults;
    EXPECT_EQ(f.refusals.at(3), 10);
    EXPECT_EQ(f.refusalByte, 0x1A);
    EXPECT_EQ(f.silence.at(kEndMarkIndex), kForever);
    EXPECT_EQ(f.enqBefore.at(2), 700);
    EXPECT_EQ(f.badChecksum.at(4), 1);
    EXPECT_EQ(f.lowerCaseHex.at(5), 2);
    EXPECT_EQ(f.haltAfter, 7u);
    EXPECT_EQ(f.handshakeByte, 'Z');
    EXPECT_EQ(f.noiseBytes, 12u);
    EXPECT_EQ(f.noiseSeed, 9u);
    EXPECT_TRUE(f.lfOnly && f.refuseBadRecords);
    EXPECT_FALSE(c->script.strictEndMark);

    c = Parse({"--op", "S"});
    ASSERT_TRUE(c);
    EXPECT_EQ(c->modelId, kDefaultModel);
    EXPECT_EQ(c->script.repeatRequestMs, 500);
    EXPECT_TRUE(Parse({"--help"})->help);
}

TEST(DevsimCommandLine, MistakesAreNamed) {
    std::string error;
    EXPECT_FALSE(Parse({}, &error));
    EXPECT_EQ(error, "--op is required");
    EXPECT_FALSE(Parse({"--op", "X"}, &error));
    EXPECT_NE(error.find("--op"), std::string::npos);
    EXPECT_FALSE(Parse({"--op", "S", "--model", "Nobody"}, &error));
    EXPECT_NE(error.find("unknown model"), std::string::npos);
    EXPECT_FALSE(Parse({"--op", "S", "--timeout"}, &error));
    EXPECT_NE(error.find("needs a value"), std::string::npos);
    EXPECT_FALSE(Parse({"--op", "S", "--frobnicate", "1"}, &error));
    EXPECT_FALSE(Parse({"--op", "S", "--timeout", "-5"}));
    EXPECT_FALSE(Parse({"--op", "S", "--timeout", "12ms"}));
    EXPECT_FALSE(Parse({"--op", "L", "--refuse", "3"}));
    EXPECT_FALSE(Parse({"--op", "S", "--enq", "1:forever"}));
    EXPECT_FALSE(Parse({"--op", "S", "--bad-checksum", "end"}));
    EXPECT_FALSE(Parse({"--op", "S", "--memory", "a.ORV", "--sample", "5"}));
    EXPECT_FALSE(Parse({"--op", "S", "--end-mark", "ENDE"}));
}

// Runs orv-devsim with its standard output and error on pipes.
class Tool {
public:
    explicit Tool(std::vector<std::string> args) {
        args.insert(args.begin(), ORV_DEVSIM_BIN);
        std::vector<char*> argv;
        for (std::string& a : args) {
            argv.push_back(a.data());
        }
        argv.push_back(nullptr);
        int out[2];
        int err[2];
        EXPECT_EQ(pipe(out), 0);
        EXPECT_EQ(pipe(err), 0);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        posix_spawn_file_actions_adddup2(&actions, err[1], 2);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        posix_spawn_file_actions_addclose(&actions, err[0]);
        EXPECT_EQ(posix_spawn(&m_pid, ORV_DEVSIM_BIN, &actions, nullptr, argv.data(), environ), 0);
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        close(err[1]);
        m_out = out[0];
        m_err = err[0];
    }
    ~Tool() {
        if (m_pid > 0) {
            kill(m_pid, SIGKILL);
            Finish();
        }
        close(m_out);
        close(m_err);
    }

    std::string FirstLine() {
        std::string line;
        char c = 0;
        pollfd fd{m_out, POLLIN, 0};
        while (poll(&fd, 1, 3000) > 0 && read(m_out, &c, 1) == 1 && c != '\n') {
            line += c;
        }
        return line;
    }
    // Waits for the exit; returns the exit code and keeps standard error.
    int Finish() {
        char buffer[512];
        ssize_t got;
        while ((got = read(m_err, buffer, sizeof buffer)) > 0) {
            m_stderr.append(buffer, static_cast<std::size_t>(got));
        }
        int status = 0;
        waitpid(m_pid, &status, 0);
        m_pid = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    const std::string& Stderr() const { return m_stderr; }

private:
    pid_t m_pid = -1;
    int m_out = -1;
    int m_err = -1;
    std::string m_stderr;
};

TEST(DevsimProgram, SavesASampleMemory) {
    Tool tool({"--op", "S", "--model", "Corvane", "--sample", "3", "--timeout", "3000"});
    const std::string port = tool.FirstLine();
    ASSERT_EQ(port.rfind("/dev/pts/", 0), 0u) << port;
    test::Peer peer(port);
    ASSERT_EQ(peer.AnswerRequest(), 'S');
    peer.WriteByte(0x06);
    std::vector<std::string> records;
    for (std::string r; (r = peer.ReadRecord()) != "END" && !r.empty();) {
        records.push_back(r);
        peer.WriteByte(0x06);
    }
    peer.WriteByte(0x06);
    EXPECT_EQ(tool.Finish(), kExitCompleted);
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0], "V210\r\n");
    EXPECT_NE(tool.Stderr().find("completed S"), std::string::npos) << tool.Stderr();
}

TEST(DevsimProgram, WritesWhatARestoreBroughtAndFailsARefusedRequest) {
    orv::test::TempDir dir;
    {
        Tool tool({"--op", "B", "--model", "0", "--received", (dir / "got.txt").string()});
        test::Peer peer(tool.FirstLine());
        ASSERT_EQ(peer.AnswerRequest(), 'B');
        peer.WriteByte(0x06);
        peer.Write("n0141BD\r\n");
        EXPECT_TRUE(peer.Expect(0x06));
        peer.Write("n00FF\r\nEND");
        EXPECT_EQ(tool.Finish(), kExitCompleted) << tool.Stderr();
        EXPECT_EQ(orv::test::ReadFileBytes(dir / "got.txt"), "n0141BD\r\nn00FF\r\n");
    }
    {
        Tool tool({"--op", "i"});
        test::Peer peer(tool.FirstLine());
        ASSERT_EQ(peer.AnswerRequest(), 'i');
        peer.WriteByte(0x0F);
        EXPECT_EQ(tool.Finish(), kExitNotCompleted);
        EXPECT_NE(tool.Stderr().find("refused"), std::string::npos) << tool.Stderr();
    }
    {
        Tool tool({"--op", "S", "--memory", (dir / "missing.ORV").string()});
        EXPECT_EQ(tool.Finish(), kExitNotCompleted);
        EXPECT_NE(tool.Stderr().find("missing.ORV"), std::string::npos) << tool.Stderr();
    }
    Tool usage({"--op", "Q"});
    EXPECT_EQ(usage.Finish(), kExitUsage);
    EXPECT_NE(usage.Stderr().find("usage: orv-devsim"), std::string::npos);
}

}  // namespace
}  // namespace orv::devsim
