#include "cli/Options.h"

#include "appcore/PortMap.h"
#include "core/Catalogue.h"
#include "core/Errors.h"

namespace orv::cli {

namespace {

std::optional<long> ParseNumber(const std::string& text) {
    if (!IsAllDigits(text, false) || text.size() > 9) {
        return std::nullopt;
    }
    return std::stol(text);
}

}  // namespace

std::optional<int> ParseBaud(const std::string& text) {
    std::optional<long> n = ParseNumber(text);
    if (!n) {
        return std::nullopt;
    }
    for (int i = 0; i < kBaudRateCount; ++i) {
        if (kBaudRates[i] == static_cast<unsigned long>(*n)) {
            return i;
        }
    }
    return std::nullopt;
}

std::optional<CommandLine> ParseCommandLine(const std::vector<std::string>& args,
                                            std::string& error) {
    CommandLine cl;
    size_t i = 0;
    for (; i < args.size(); ++i) {
        std::string arg = args[i];
        if (arg.rfind("--", 0) != 0 || arg == "--help") {
            break;
        }
        std::string name = arg;
        std::string value;
        size_t eq = arg.find('=');
        if (eq != std::string::npos) {
            name = arg.substr(0, eq);
            value = arg.substr(eq + 1);
        } else if (name == "--port" || name == "--model" || name == "--baud" ||
                   name == "--timeout") {
            if (i + 1 >= args.size()) {
                error = name + " needs a value";
                return std::nullopt;
            }
            value = args[++i];
        } else {
            error = "unknown option " + arg;
            return std::nullopt;
        }
        cl.anyOption = true;
        if (name == "--port") {
            if (value.find('/') != std::string::npos) {
                cl.options.devicePath = value;
            } else if (std::optional<int> port = PortMap::ParsePortName(value)) {
                cl.options.comPort = *port;
            } else {
                error = "bad port " + value + " (a device path, or COM1 to COM9)";
                return std::nullopt;
            }
        } else if (name == "--model") {
            cl.options.modelIndex = ParseModel(value);
            if (!cl.options.modelIndex) {
                error = "unknown model " + value + " (see orv-cli models)";
                return std::nullopt;
            }
        } else if (name == "--baud") {
            cl.options.baudIndex = ParseBaud(value);
            if (!cl.options.baudIndex) {
                error = "bad baud rate " + value;
                return std::nullopt;
            }
        } else if (name == "--timeout") {
            if (value.size() != 1 || value[0] < '1' || value[0] > '9') {
                error = "bad time-out " + value + " (a digit 1 to 9)";
                return std::nullopt;
            }
            cl.options.timeoutMs = (value[0] - '0') * 1000;
        } else {
            error = "unknown option " + arg;
            return std::nullopt;
        }
    }
    if (i >= args.size()) {
        error = "no command";
        return std::nullopt;
    }
    cl.command = args[i];
    cl.operands.assign(args.begin() + static_cast<long>(i) + 1, args.end());
    return cl;
}

}  // namespace orv::cli
