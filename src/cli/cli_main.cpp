// veltrano-cli: the console's transactions from the command line.
#include <charconv>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "cli/commands.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    return veltrano::cli::Run(args, stdout, stderr);
}
