// orv-devsim: a simulated device for scripts.
#include <cstdio>
#include <string>
#include <vector>

#include "tools/devsim/CommandLine.h"

int main(int argc, char* argv[]) {
    using namespace orv::devsim;
    CommandLine commandLine;
    std::string error;
    if (!ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc), commandLine, error)) {
        std::fprintf(stderr, "orv-devsim: %s\n%s", error.c_str(), UsageText());
        return kExitUsage;
    }
    if (commandLine.help) {
        std::fputs(UsageText(), stdout);
        return kExitCompleted;
    }
    return RunCommandLine(commandLine);
}
