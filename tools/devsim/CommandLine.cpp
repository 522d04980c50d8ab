#include "tools/devsim/CommandLine.h"

#include <charconv>
#include <csignal>
#include <cstdio>
#include <thread>

#include "core/Catalogue.h"
#include "core/StringTable.h"

namespace orv::devsim {

namespace {

volatile std::sig_atomic_t g_interrupted = 0;

extern "C" void OnSignal(int) {
    g_interrupted = 1;
}

template <typename T>
bool ParseNumber(std::string_view text, T& value, int base = 10) {
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, value, base);
    return ec == std::errc() && ptr == end && !text.empty();
}

// K, or "end" for the end mark where that is allowed.
bool ParseIndex(std::string_view text, bool endAllowed, std::size_t& index) {
    if (endAllowed && text == "end") {
        index = kEndMarkIndex;
        return true;
    }
    return ParseNumber(text, index);
}

// Milliseconds, or "forever" where that is allowed.
bool ParseMs(std::string_view text, bool foreverAllowed, int& ms) {
    if (foreverAllowed && text == "forever") {
        ms = kForever;
        return true;
    }
    return ParseNumber(text, ms) && ms >= 0;
}

// K:N or K (N defaulting to `fallback`); K may be "end" if endAllowed.
bool ParsePair(std::string_view text, bool endAllowed, bool foreverAllowed, int fallback,
               std::size_t& index, int& value) {
    const auto colon = text.find(':');
    if (colon == std::string_view::npos) {
        value = fallback;
        return fallback >= 0 && ParseIndex(text, endAllowed, index);
    }
    return ParseIndex(text.substr(0, colon), endAllowed, index) &&
           ParseMs(text.substr(colon + 1), foreverAllowed, value);
}

// A single character, or 0xHH for any byte.
bool ParseByte(std::string_view text, uint8_t& byte) {
    if (text.size() == 1) {
        byte = static_cast<uint8_t>(text[0]);
        return true;
    }
    return text.size() > 2 && text.substr(0, 2) == "0x" && ParseNumber(text.substr(2), byte, 16);
}

}  // namespace

std::optional<uint32_t> ParseModel(std::string_view text) {
    if (std::optional<int> index = orv::ParseModel(text)) {
        return ModelIdOf(*index);
    }
    return std::nullopt;
}

bool ParseCommandLine(const std::vector<std::string>& args, CommandLine& out, std::string& error) {
    Faults& faults = out.script.faults;
    out.script.repeatRequestMs = 500;
    bool haveOp = false;
    bool haveSample = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& option = args[i];
        auto bad = [&](const std::string& why) {
            error = option + ": " + why;
            return false;
        };
        if (option == "--help" || option == "-h") {
            out.help = true;
            return true;
        }
        // Flags without a value.
        if (option == "--lf-only") {
            faults.lfOnly = true;
            continue;
        }
        if (option == "--refuse-bad") {
            faults.refuseBadRecords = true;
            continue;
        }
        if (option == "--no-strict-end-mark") {
            out.script.strictEndMark = false;
            continue;
        }
        if (i + 1 >= args.size()) {
            return bad(option.rfind("--", 0) == 0 ? "needs a value" : "unknown argument");
        }
        const std::string_view value = args[++i];
        std::size_t index = 0;
        int number = 0;
        if (option == "--op") {
            if (value.size() != 1 || !(IsSaveLetter(value[0]) || IsRestoreLetter(value[0]))) {
                return bad("one of S s O L l B W i V");
            }
            out.script.letter = value[0];
            haveOp = true;
        } else if (option == "--model") {
            auto model = ParseModel(value);
            if (!model) {
                return bad("unknown model");
            }
            out.modelId = *model;
        } else if (option == "--memory") {
            out.memoryFile = std::filesystem::path(value);
        } else if (option == "--sample") {
            if (!ParseNumber(value, out.sampleRecords)) {
                return bad("a record count");
            }
            haveSample = true;
        } else if (option == "--seed") {
            if (!ParseNumber(value, out.seed)) {
                return bad("a number");
            }
            faults.noiseSeed = out.seed;
        } else if (option == "--received") {
            out.receivedFile = std::filesystem::path(value);
        } else if (option == "--end-mark") {
            if (value.size() != 3) {
                return bad("three characters, such as END or end");
            }
            out.script.endMark = std::string(value);
        } else if (option == "--delay" || option == "--wait-open" || option == "--repeat-request" ||
                   option == "--timeout" || option == "--enq-interval") {
            if (!ParseMs(value, false, number)) {
                return bad("milliseconds");
            }
            (option == "--delay"            ? out.script.delayMs
             : option == "--wait-open"      ? out.waitOpenMs
             : option == "--repeat-request" ? out.script.repeatRequestMs
             : option == "--timeout"        ? out.script.timeoutMs
                                            : faults.enqIntervalMs) = number;
        } else if (option == "--user-timeout") {
            if (!ParseMs(value, true, out.script.userTimeoutMs)) {
                return bad("milliseconds or forever");
            }
        } else if (option == "--bad-checksum" || option == "--lower-hex" || option == "--refuse") {
            if (!ParsePair(value, false, false, option == "--refuse" ? -1 : 1, index, number)) {
                return bad(option == "--refuse" ? "K:N" : "K or K:N");
            }
            (option == "--bad-checksum" ? faults.badChecksum
             : option == "--lower-hex"  ? faults.lowerCaseHex
                                        : faults.refusals)[index] = number;
        } else if (option == "--silence" || option == "--enq") {
            const bool silence = option == "--silence";
            if (!ParsePair(value, true, silence, -1, index, number)) {
                return bad(silence ? "K:MS (K may be end, MS may be forever)"
                                   : "K:MS (K may be end)");
            }
            (silence ? faults.silence : faults.enqBefore)[index] = number;
        } else if (option == "--halt-after") {
            if (!ParseIndex(value, false, index)) {
                return bad("a record index");
            }
            faults.haltAfter = index;
        } else if (option == "--refusal-byte") {
            if (!ParseNumber(value, faults.refusalByte, 16)) {
                return bad("a hex byte such as 15");
            }
        } else if (option == "--handshake-byte") {
            uint8_t byte = 0;
            if (!ParseByte(value, byte)) {
                return bad("a character or 0xHH");
            }
            faults.handshakeByte = byte;
        } else if (option == "--noise") {
            if (!ParseNumber(value, faults.noiseBytes)) {
                return bad("a byte count");
            }
        } else {
            return bad("unknown option");
        }
    }
    if (!haveOp) {
        error = "--op is required";
        return false;
    }
    if (haveSample && out.memoryFile) {
        error = "--memory and --sample exclude each other";
        return false;
    }
    return true;
}

const char* UsageText() {
    return "usage: orv-devsim --op LETTER [OPTIONS]\n"
           "A simulated communication device on a pseudo-terminal. The first line of\n"
           "standard output is the port to open; then the device asks for one transfer.\n"
           "Exit 0 when it completed, 1 otherwise, 2 for a mistake on the command line.\n"
           "\n"
           "  --op LETTER            S s O: the device saves (sends its memory or text);\n"
           "                         L l B W i V: the device receives\n"
           "  --model MODEL          name, index 0-9 or command ID 32771-32780 (Mirelda)\n"
           "  --memory FILE          what the device holds (its text for O)\n"
           "  --sample N             a generated memory of N records (default 300)\n"
           "  --seed N               seed for --sample and --noise (default 1)\n"
           "  --received FILE        write the records a restore brought, as they came\n"
           "  --end-mark TEXT        end mark of a save (default: the model's own)\n"
           "  --no-strict-end-mark   accept another model's end mark in a restore\n"
           "  --delay MS             wait before the request\n"
           "  --wait-open MS         first wait up to MS for a program to open the port\n"
           "  --repeat-request MS    repeat ? until C arrives (default 500; 0: once)\n"
           "  --timeout MS           limit for each reply (default 10000)\n"
           "  --user-timeout MS      limit for the request, the start and ENQ pauses\n"
           "                         (default 60000; forever: none)\n"
           "Faults (K is a record index from 0; end: the end mark of a save):\n"
           "  --bad-checksum K[:N]   the first N copies (1) of record K with a wrong checksum\n"
           "  --lower-hex K[:N]      the first N copies (1) of record K in lower-case hex\n"
           "  --lf-only              records end with LF only\n"
           "  --silence K:MS         say nothing for MS (or forever) at record K\n"
           "  --enq K:MS             send ENQ for MS before record K (or end)\n"
           "  --enq-interval MS      time between ENQ bytes (default 400)\n"
           "  --halt-after K         send ? once record K is through\n"
           "  --refuse K:N           refuse record K N times (restore)\n"
           "  --refusal-byte HEX     the refusal (default 15)\n"
           "  --refuse-bad           refuse every record that fails the check (restore)\n"
           "  --handshake-byte C     send C (a character or 0xHH) instead of the letter\n"
           "  --noise N              send N random bytes (never ?) before the request\n";
}

int RunCommandLine(const CommandLine& commandLine) {
    try {
        MemoryImage held = commandLine.memoryFile
                               ? ReadMemoryFile(*commandLine.memoryFile)
                               : MakeSampleMemory(commandLine.modelId, commandLine.sampleRecords,
                                                  commandLine.seed);
        SimulatedDevice device(commandLine.modelId);
        if (commandLine.memoryFile && IsTextLetter(commandLine.script.letter)) {
            device.SetText(std::move(held));
        } else {
            device.SetMemory(std::move(held));
        }
        std::printf("%s\n", device.PortPath().c_str());
        std::fflush(stdout);

        std::signal(SIGINT, OnSignal);
        std::signal(SIGTERM, OnSignal);
        const Deadline openBy = DeadlineAfter(commandLine.waitOpenMs);
        while (commandLine.waitOpenMs > 0 && !device.Pty().OpenedExclusively() &&
               Clock::now() < *openBy && !g_interrupted) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        device.Start(commandLine.script);
        std::optional<Outcome> outcome;
        while (!(outcome = device.Wait(std::chrono::milliseconds(100)))) {
            if (g_interrupted) {
                device.Stop();
            }
        }
        if (commandLine.receivedFile && IsRestoreLetter(commandLine.script.letter)) {
            WriteBytesFile(*commandLine.receivedFile, device.ReceivedBytes());
        }
        // The last byte (an ACK, a halt) must reach the program before the
        // pty goes away with the hang-up.
        device.Pty().WaitUntilPeerRead(std::chrono::seconds(2));
        std::fprintf(stderr, "orv-devsim: %s\n", Summary(*outcome).c_str());
        return outcome->kind == OutcomeKind::Completed ? kExitCompleted : kExitNotCompleted;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "orv-devsim: %s\n", e.what());
        return kExitNotCompleted;
    }
}

}  // namespace orv::devsim
