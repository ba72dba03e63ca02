#pragma once
// What a process holds, for tests that must leave nothing behind: open
// descriptors and threads, and the CPU time it has used.
#include <dirent.h>
#include <time.h>

#include <string>

namespace veltrano::test {

// Entries of a /proc directory (the directory's own descriptor included,
// the same every time).
inline int CountEntries(const char* dir) {
    DIR* d = ::opendir(dir);
    if (!d) return -1;
    int n = 0;
    while (const dirent* e = ::readdir(d))
        if (e->d_name[0] != '.') ++n;
    ::closedir(d);
    return n;
}
inline int OpenDescriptors() { return CountEntries("/proc/self/fd"); }
inline int Threads() { return CountEntries("/proc/self/task"); }

inline double ProcessCpuSeconds() {
    timespec ts{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}
inline double WallSeconds() {
    timespec ts{};
    ::clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

}  // namespace veltrano::test
