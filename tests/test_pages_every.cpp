// Every page, from its table: the invariants its table must keep, and each
// page against every simulated device type that stands for it.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "pages/page_registry.h"
#include "pages/table_page.h"
#include "sim/profile.h"
#include "support/console.h"

namespace veltrano {
namespace {

using test::Console;

// The simulated device types, by the page that configures them, with the
// type-list entry a reduced device needs selected first.
struct Demo {
    const char* profile;
    const char* page;
    int list = 0;
    const char* item = nullptr;
};
void PrintTo(const Demo& d, std::ostream* os) { *os << d.page << " on " << d.profile; }

const Demo kDemos[] = {
    {"temperature", "TemperaturePage"},
    {"temhum", "TemHumidityPage"},
    {"kanban", "TemHumKanbanPage"},
    {"dewtem", "DewTemPage"},
    {"waterleak", "WaterLeakPage"},
    {"smoke", "SmokePage"},
    {"infrared", "InfraredPage"},
    {"illum6w", "Illum6WPage"},
    {"illum20w", "Illum20WPage"},
    {"illum6w-temhum", "Illum6WTemHumPage"},
    {"illum20w-temhum", "Illum20WTemHumPage"},
    {"wind-direction", "WindDirectionPage"},
    {"wind-speed", "WindSpeedPage"},
    {"soil-3in1", "ThreeInOneSoilPage"},
    {"soil-tem-moisture", "SoilTempMoisturePage"},
    {"soil-moisture", "SoilMoisturePage"},
    {"soil-conductivity", "SoilConductivityPage"},
    {"soil-ph", "SoilPhPage"},
    {"soil-tension", "SoilTensionPage"},
    {"current", "CurrentCollectorPage"},
    {"lampblack", "LampblackPage"},
    {"noise", "NoisePage"},
    {"airpressure", "AirPressurePage"},
    {"raingauge", "RainGaugePage"},
    {"co2blinds", "Co2BlindsPage"},
    {"radiation", "RadiationPage"},
    {"uv", "UvPage"},
    {"pmblinds", "PmBlindsPage"},
    {"rainsnow", "RainSnowPage"},
    {"pm", "PmPage"},
    {"dusttester", "DustTesterPage"},
    {"eva", "EvaPage"},
    {"watergauge", "WaterGaugePage"},
    {"tilt", "TiltPage"},
    {"ph", "PhPage"},
    {"ec", "EcPage"},
    {"do", "DoPage"},
    {"turbidity", "TurbidityPage"},
    {"cl", "ClPage"},
    {"nhn", "NhnPage"},
    {"lamp", "LampPage"},
    {"co2", "Co2Page"},
    {"co2-only", "Co2Page", 1237, "CO2"},
    {"co", "CoPage"},
    {"co-only", "CoPage", 1236, "CO"},
    {"tvoc", "TvocPage"},
    {"so2", "So2Page"},
    {"so2-only", "So2Page", 1235, "SO2"},
    {"no2", "No2Page"},
    {"no2-only", "No2Page", 1234, "NO2"},
    {"o2", "O2Page"},
    {"o2-only", "O2Page", 1132, "O2 0-25%vol"},
    {"h2s", "H2sPage"},
    {"h2s-only", "H2sPage", 1166, "H2S"},
    {"nh3", "Nh3Page"},
    {"nh3-100", "Nh3Page", 1131, "NH3&Tem&Hum 0-100ppm"},
    {"nh3-500", "Nh3Page", 1131, "NH3&Tem&Hum 0-500ppm"},
    {"nh3-only", "Nh3Page", 1131, "NH3 0-50ppm"},
    {"o3", "O3Page"},
    {"o3-100", "O3Page", 1200, "O3&Tem&Hum 0-100ppm"},
    {"o3-only", "O3Page", 1200, "O3 0-10ppm"},
    {"multigas", "MultiGasPage"},
    {"hcho", "HchoPage"},
    {"hcho-only", "HchoPage", 1600, "HCHO"},
    {"ch4", "Ch4Page"},
    {"ch4-only", "Ch4Page", 1607, "CH4"},
    {"sf6", "Sf6Page"},
    {"sf6-only", "Sf6Page", 1657, "SF6"},
};

TEST(EveryPage, HasADemoDeviceAndEveryDeviceHasAPage) {
    std::set<std::string> pagesWithDemo, listed;
    for (const Demo& d : kDemos) {
        EXPECT_NE(pages::FindPage(d.page), nullptr) << d.page;
        EXPECT_NE(sim::FindProfile(d.profile), nullptr) << d.profile;
        EXPECT_TRUE(listed.insert(d.profile).second) << d.profile << " listed twice";
        pagesWithDemo.insert(d.page);
    }
    for (const pages::PageInfo& p : pages::AllPages()) EXPECT_TRUE(pagesWithDemo.count(p.className)) << p.className;
    for (const sim::Profile& p : sim::AllProfiles()) EXPECT_TRUE(listed.count(p.name)) << p.name << " has no page";
}

// What every table must keep: each box and button one control, every id a
// lock or list names a control of the page, block fields inside the block,
// a polled row something to read.
TEST(EveryPage, TablesKeepTheirInvariants) {
    Link link;
    for (const pages::PageInfo& info : pages::AllPages()) {
        SCOPED_TRACE(info.className);
        auto made = info.make(link);
        auto* page = dynamic_cast<pages::TablePage*>(made.get());
        ASSERT_NE(page, nullptr);
        const pages::PageTable& t = page->table();
        EXPECT_EQ(info.templateId, t.templateId);
        std::set<int> edits, setups;
        for (const pages::Row& row : t.rows) {
            SCOPED_TRACE(row.label);
            EXPECT_TRUE(!row.edit || edits.insert(row.edit).second) << "box " << row.edit << " twice";
            EXPECT_TRUE(!row.setup || setups.insert(row.setup).second) << "Set up " << row.setup << " twice";
            for (int id : {row.edit, row.inquire, row.setup}) EXPECT_TRUE(!id || page->Has(id)) << id;
            if (row.poll) {
                EXPECT_NE(row.edit, 0) << "a polled row has a box";
                EXPECT_TRUE(row.inquire || row.read.kind != pages::Read::None || !row.variants.empty());
            }
            EXPECT_FALSE(row.action && row.inquire && !row.setup) << "an action is something written";
        }
        for (int id : setups) EXPECT_FALSE(edits.count(id)) << id << " is a box and a button";
        EXPECT_TRUE(page->Has(t.realTimeBox));
        EXPECT_FALSE(edits.count(t.realTimeBox));
        for (auto ids : {t.governed, t.governedFull})
            for (int id : ids) EXPECT_TRUE(page->Has(id)) << "locked " << id;
        for (int id : page->ReadSet()) EXPECT_TRUE(edits.count(id)) << "polled " << id;
        if (t.typeList) {
            EXPECT_TRUE(page->Has(t.typeList->id));
            EXPECT_LT(t.typeList->selected, static_cast<int>(t.typeList->entries.size()));
        }
        if (t.block) {
            EXPECT_TRUE(page->ReadSet().empty()) << "a block read replaces the polled rows";
            EXPECT_GE(t.block->count, 1);
            EXPECT_LE(t.block->count, 125);
            for (const pages::BlockField& f : t.block->fields) {
                const int words = f.show.kind == pages::Read::Unsigned32 ? 2 : 1;
                EXPECT_LE(f.word + words, t.block->count) << "field " << f.edit;
                EXPECT_TRUE(page->Has(f.edit)) << f.edit;
            }
        }
    }
}

class DemoDevices : public ::testing::TestWithParam<Demo> {};

// Every enabled Inquire reads the device, and one real-time tick fills the
// polled boxes again, with no message.
TEST_P(DemoDevices, EveryInquireAndTheTickReadTheDevice) {
    const Demo& d = GetParam();
    const sim::Profile* profile = sim::FindProfile(d.profile);
    ASSERT_NE(profile, nullptr);
    sim::Device::Config cfg = test::Device(profile->address, profile->baud, profile->dialects);
    cfg.profile = profile;
    Console con(cfg);
    ASSERT_EQ(con.main->scan().Run(), app::BaudRateTest::Outcome::ShortFrame);
    con.host.clear();
    pages::DevicePage* page = con.main->ShowPage(d.page);
    ASSERT_NE(page, nullptr);
    if (d.item) {
        const auto& items = page->control(d.list).items;
        const auto it = std::find(items.begin(), items.end(), d.item);
        ASSERT_NE(it, items.end()) << d.item;
        page->SelectCombo(d.list, static_cast<int>(it - items.begin()));
    }
    int read = 0;
    for (const auto& row : page->Rows()) {
        if (!row.inquire || !page->IsEnabled(row.inquire)) continue;
        page->SetItemText(row.edit, "");
        page->Click(row.inquire);
        ++read;
    }
    EXPECT_GE(read, 1);
    for (const auto& row : page->Rows()) {
        if (row.inquire ? !page->IsEnabled(row.inquire) : row.setup != 0) continue;  // a value only written
        const std::string text = page->GetItemText(row.edit);
        EXPECT_FALSE(text.empty()) << row.label;
        EXPECT_NE(text, "err") << row.label;
        EXPECT_NE(text, "Wind Direction") << "a direction is shown";
    }
    EXPECT_TRUE(con.host.messages.empty()) << con.LastMessage().text;

    const auto* table = dynamic_cast<const pages::TablePage*>(page);
    ASSERT_NE(table, nullptr);
    std::vector<int> refreshed(table->ReadSet().begin(), table->ReadSet().end());
    if (table->table().block)
        for (const pages::BlockField& f : table->table().block->fields) refreshed.push_back(f.edit);
    std::erase_if(refreshed, [&](int id) {
        const pages::Row* row = table->RowOfEdit(id);
        return row && row->follows && table->TypeReduced();
    });
    page->Click(page->realTimeBox());
    for (int id : refreshed) page->SetItemText(id, "");
    con.main->Timer(app::kPollTimer);
    for (int id : refreshed) EXPECT_FALSE(page->GetItemText(id).empty()) << id;
    EXPECT_TRUE(con.host.messages.empty()) << con.LastMessage().text;
}

INSTANTIATE_TEST_SUITE_P(All, DemoDevices, ::testing::ValuesIn(kDemos), [](const auto& p) {
    std::string name = std::string(p.param.page) + "_" + p.param.profile;
    std::replace_if(
        name.begin(), name.end(), [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); }, '_');
    return name;
});

}  // namespace
}  // namespace veltrano
