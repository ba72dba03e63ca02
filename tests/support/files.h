#pragma once
// Whole files read and written by tests, byte for byte.
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace veltrano::test {

inline std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

inline void Spit(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

// The lines of a text, without their "\n".
inline std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::stringstream ss(text);
    for (std::string line; std::getline(ss, line);) lines.push_back(line);
    return lines;
}

}  // namespace veltrano::test
