#pragma once
// The command line's commands, callable in-process (tests run them this way).
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "serial/port_list.h"

namespace veltrano::cli {

// Exit statuses beyond the transactions' result codes (0 to 3).
// `page NAME diff`: the device differs from the file (every row read).
constexpr int kDiffers = 4;
constexpr int kUsageError = 64;
// A value the console refuses to send (a typed number with no number in
// it, an address outside 1..255, a settings file that is not one, ...):
// nothing was sent.
constexpr int kRefusedInput = 65;
constexpr int kNoInput = 66;       // a file to read cannot be opened
constexpr int kCannotCreate = 73;  // a file to write cannot be made
constexpr int kWriteError = 74;    // writing a file failed part way

using PortLister = std::function<std::vector<PortEntry>()>;

int Run(const std::vector<std::string>& args, FILE* out, FILE* err);
// The same, with the ports a missing --port chooses from.
int Run(const std::vector<std::string>& args, FILE* out, FILE* err, const PortLister& listPorts);

}  // namespace veltrano::cli
