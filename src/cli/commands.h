#pragma once
// The command line's commands, callable in-process (tests run them this way).
#include <cstdio>
#include <string>
#include <vector>

namespace veltrano::cli {

constexpr int kUsageError = 64;

int Run(const std::vector<std::string>& args, FILE* out, FILE* err);

}  // namespace veltrano::cli
