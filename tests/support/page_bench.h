#pragma once
// What the page suites share: the console on a plain device (every register
// exists, no dialect), its port open at 9600, and the steps every suite takes.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/console.h"

namespace veltrano::test {

struct PageBench : ::testing::Test {
    using Bytes = std::vector<uint8_t>;

    PageBench() : con(Device(1, 9600, sim::kDialectNone)) {}
    void SetUp() override {
        ASSERT_TRUE(con.link->Reopen(con.sim.path(), 9600));
        con.link->deviceAddress = 1;
    }
    pages::DevicePage& Show(const std::string& name) {
        pages::DevicePage* p = con.main->ShowPage(name);
        EXPECT_NE(p, nullptr) << name;
        return *p;
    }
    // Registers from `reg` on hold `words`.
    void Set(uint16_t reg, std::vector<uint16_t> words) {
        for (uint16_t w : words) con.sim.device().SetRegister(reg++, w);
    }
    // The requests heard since the last call.
    std::vector<Bytes> Heard() { return con.sim.TakeRequests(); }
    void Fault(sim::Fault::Kind kind, int count = 1, int param = 0) {
        sim::Fault f;
        f.kind = kind;
        f.count = count;
        f.param = param;
        con.sim.device().SetFault(f);
    }
    void Select(pages::DevicePage& page, int list, const std::string& entry) {
        const auto& items = page.control(list).items;
        const auto it = std::find(items.begin(), items.end(), entry);
        ASSERT_NE(it, items.end()) << entry;
        page.SelectCombo(list, static_cast<int>(it - items.begin()));
    }
    void Poll() { con.main->Timer(app::kPollTimer); }
    const std::string& LastText() { return con.LastMessage().text; }

    Console con;
};

}  // namespace veltrano::test
