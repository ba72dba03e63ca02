#pragma once
// Runs a command-line entry point in-process and captures what it prints.
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

namespace veltrano::test {

struct Captured {
    int code = 0;
    std::string out;
    std::string err;
};

inline Captured Capture(const std::function<int(FILE*, FILE*)>& run) {
    char* outBuf = nullptr;
    char* errBuf = nullptr;
    size_t outLen = 0, errLen = 0;
    FILE* out = open_memstream(&outBuf, &outLen);
    FILE* err = open_memstream(&errBuf, &errLen);
    Captured c;
    c.code = run(out, err);
    std::fclose(out);
    std::fclose(err);
    c.out.assign(outBuf, outLen);
    c.err.assign(errBuf, errLen);
    std::free(outBuf);
    std::free(errBuf);
    return c;
}

}  // namespace veltrano::test
