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

#ifdef _WIN32
// No open_memstream here: temporary files, read back.
inline std::string ReadBack(FILE* f) {
    std::string s;
    std::fflush(f);
    std::rewind(f);
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) s.append(buf, n);
    std::fclose(f);
    return s;
}

inline Captured Capture(const std::function<int(FILE*, FILE*)>& run) {
    FILE* out = std::tmpfile();
    FILE* err = std::tmpfile();
    Captured c;
    c.code = run(out, err);
    c.out = ReadBack(out);
    c.err = ReadBack(err);
    return c;
}
#else
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
#endif

}  // namespace veltrano::test
