#include "core/Reporter.h"

#include <atomic>
#include <cstdio>

namespace orv {
namespace {

StderrReporter g_defaultReporter;
std::atomic<Reporter*> g_reporter{nullptr};

}  // namespace

void StderrReporter::ShowMessage(const std::string& text, MessageIcon) {
    std::fprintf(stderr, "%s\n", text.c_str());
}

void SetReporter(Reporter* reporter) {
    g_reporter.store(reporter);
}

Reporter& CurrentReporter() {
    Reporter* r = g_reporter.load();
    return r ? *r : g_defaultReporter;
}

}  // namespace orv
