// orv-cli inspect: what a file is and what is wrong with it.
#pragma once

#include <cstdio>
#include <string>

namespace orv::cli {

// Prints the report on out; returns the exit code (0 when nothing is wrong).
int RunInspect(const std::string& path, std::FILE* out);

}  // namespace orv::cli
