#pragma once
// The command line's commands, callable in-process (tests run them this way).
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "serial/port_list.h"

namespace veltrano::cli {

constexpr int kUsageError = 64;
// A value the console refuses to send (a typed number with no number in
// it, an address outside 1..255, ...): nothing was sent.
constexpr int kRefusedInput = 65;

using PortLister = std::function<std::vector<PortEntry>()>;

int Run(const std::vector<std::string>& args, FILE* out, FILE* err);
// The same, with the ports a missing --port chooses from.
int Run(const std::vector<std::string>& args, FILE* out, FILE* err, const PortLister& listPorts);

}  // namespace veltrano::cli
