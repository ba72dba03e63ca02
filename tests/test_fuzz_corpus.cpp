// Every kept fuzz input (seeds and past findings) through its target's
// checks, in the ordinary build: the properties hold on them without clang
// or libFuzzer, and a finding once fixed stays fixed. A failed property
// aborts the test with its reason.
#include <dirent.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <fstream>
#include <iterator>
#include <limits>
#include <memory>
#include <regex>
#include <string>
#include <vector>

// The targets' own headers first, so that each is read once, outside the
// namespaces the targets are wrapped in below.
#include "app/connection_panel.h"
#include "fuzz/fuzz_common.h"
#include "modbus/frames.h"
#include "modbus/reply_checks.h"
#include "modbus/typed_number.h"
#include "pages/page_registry.h"
#include "pages/table_page.h"
#include "serial/rx_pump.h"

#define LLVMFuzzerTestOneInput RegisterRepliesInput
namespace replay_register_replies {
#include "fuzz/fuzz_register_replies.cpp"
}
#undef LLVMFuzzerTestOneInput
#define LLVMFuzzerTestOneInput PanelRepliesInput
namespace replay_panel_replies {
#include "fuzz/fuzz_panel_replies.cpp"
}
#undef LLVMFuzzerTestOneInput
#define LLVMFuzzerTestOneInput BlockRepliesInput
namespace replay_block_replies {
#include "fuzz/fuzz_block_replies.cpp"
}
#undef LLVMFuzzerTestOneInput
#define LLVMFuzzerTestOneInput RxPumpInput
namespace replay_rx_pump {
#include "fuzz/fuzz_rx_pump.cpp"
}
#undef LLVMFuzzerTestOneInput
#define LLVMFuzzerTestOneInput TypedNumberInput
namespace replay_typed_number {
#include "fuzz/fuzz_typed_number.cpp"
}
#undef LLVMFuzzerTestOneInput

namespace {

using Target = int (*)(const uint8_t*, size_t);

struct Family {
    const char* name;
    Target run;
};

void PrintTo(const Family& f, std::ostream* os) { *os << f.name; }

std::vector<std::string> Inputs(const std::string& dir) {
    std::vector<std::string> files;
    if (DIR* d = ::opendir(dir.c_str())) {
        while (const dirent* e = ::readdir(d))
            if (e->d_name[0] != '.') files.push_back(dir + "/" + e->d_name);
        ::closedir(d);
    }
    std::sort(files.begin(), files.end());
    return files;
}

class CorpusReplay : public ::testing::TestWithParam<Family> {};

TEST_P(CorpusReplay, EveryKeptInputKeepsItsProperties) {
    const Family& family = GetParam();
    const std::vector<std::string> files =
        Inputs(std::string(VELTRANO_SOURCE_DIR) + "/tests/fuzz/corpus/fuzz_" + family.name);
    ASSERT_GE(files.size(), 4u) << "no corpus for " << family.name;
    for (const std::string& path : files) {
        std::ifstream in(path, std::ios::binary);
        const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        SCOPED_TRACE(path);
        EXPECT_EQ(family.run(bytes.data(), bytes.size()), 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Targets, CorpusReplay,
                         ::testing::Values(Family{"register_replies", replay_register_replies::RegisterRepliesInput},
                                           Family{"panel_replies", replay_panel_replies::PanelRepliesInput},
                                           Family{"block_replies", replay_block_replies::BlockRepliesInput},
                                           Family{"rx_pump", replay_rx_pump::RxPumpInput},
                                           Family{"typed_number", replay_typed_number::TypedNumberInput}),
                         [](const ::testing::TestParamInfo<Family>& p) { return std::string(p.param.name); });

}  // namespace
