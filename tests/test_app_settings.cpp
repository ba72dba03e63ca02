// Settings files: the JSON form and its refusals, and save, diff and load
// against simulated devices, through the command line and the core.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <cstring>
#include <fstream>
#include <set>
#include <sstream>
#include <thread>

#include "app/main_dialog.h"
#include "app/settings_file.h"
#include "cli/commands.h"
#include "pages/page_registry.h"
#include "pages/table_page.h"
#include "sim/memory_line.h"
#include "sim/simulator.h"
#include "support/capture.h"
#include "support/files.h"
#include "ui/recording_host.h"

namespace veltrano {
namespace {

using test::Capture;
using test::Captured;
using test::Slurp;
using test::Spit;

std::unique_ptr<sim::Simulator> Device(const char* profile) {
    sim::Device::Config c;
    c.address = 1;
    c.baud = 9600;
    c.profile = sim::FindProfile(profile);
    auto s = std::make_unique<sim::Simulator>(c);
    EXPECT_TRUE(s->Start());
    return s;
}

Captured Cli(sim::Simulator& sim, std::vector<std::string> tail) {
    std::vector<std::string> args{"--port", sim.path()};
    args.insert(args.end(), tail.begin(), tail.end());
    return Capture([&](FILE* out, FILE* err) { return cli::Run(args, out, err); });
}

const std::string kKanban = "TemHumKanbanPage";

void SetFloat(sim::Simulator& sim, uint16_t reg, float f) {
    uint32_t bits;
    std::memcpy(&bits, &f, sizeof bits);
    sim.device().SetRegister(reg, static_cast<uint16_t>(bits >> 16));
    sim.device().SetRegister(static_cast<uint16_t>(reg + 1), static_cast<uint16_t>(bits & 0xFFFF));
}

TEST(SettingsFile, JsonRoundTripKeepsEveryField) {
    app::Settings s;
    s.page = "Co2Page";
    s.address = 17;
    s.baud = 4800;
    s.time = "2025-03-01T14:03:07.123+01:00";
    s.typeList = 1237;
    s.typeEntry = "CO2";
    s.rows = {{"Tem Upper", "℃", 48, false, 0, "35.0", {350}},
              {"CO2 Cali", "ppm", 56, true, 2, ""},
              {"Quote \"q\", comma", "", 65535, false, 0, "", {0x3E19, 0x999A}, true}};
    app::Settings back;
    std::string error;
    ASSERT_TRUE(app::SettingsFromJson(app::SettingsToJson(s), &back, &error)) << error;
    EXPECT_EQ(back.page, s.page);
    EXPECT_EQ(back.address, s.address);
    EXPECT_EQ(back.baud, s.baud);
    EXPECT_EQ(back.time, s.time);
    EXPECT_EQ(back.typeList, s.typeList);
    EXPECT_EQ(back.typeEntry, s.typeEntry);
    ASSERT_EQ(back.rows.size(), s.rows.size());
    for (size_t i = 0; i < s.rows.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(back.rows[i].label, s.rows[i].label);
        EXPECT_EQ(back.rows[i].unit, s.rows[i].unit);
        EXPECT_EQ(back.rows[i].reg, s.rows[i].reg);
        EXPECT_EQ(back.rows[i].failed, s.rows[i].failed);
        EXPECT_EQ(back.rows[i].result, s.rows[i].result);
        EXPECT_EQ(back.rows[i].text, s.rows[i].text);
        EXPECT_EQ(back.rows[i].words, s.rows[i].words);
        EXPECT_EQ(back.rows[i].reference, s.rows[i].reference);
    }
}

TEST(SettingsFile, AnythingElseIsRefusedWithTheReason) {
    const std::string head =
        R"({"format": "veltrano-settings", "version": 1, "page": "TemHumKanbanPage", "address": 1, "baud": 9600,
            "time": "t", )";
    const std::string row = R"({"label": "Tem Upper", "unit": "", "register": 48, "text": "35.0"})";
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"", "not JSON"},
        {"{\"format\": \"veltrano-settings\",", "not JSON: parse error at line 1"},
        {"[1, 2]", "not a settings file"},
        {R"({"format": "other", "version": 1})", "not a settings file"},
        {R"({"format": "veltrano-settings", "version": 2})", "settings version 2"},
        {R"({"format": "veltrano-settings"})", "no settings version"},
        {head + R"("rows": {}})", "\"rows\" must be a list"},
        {head + R"("rows": [1]})", "row 1: must be an object"},
        {head + R"("rows": [{"label": "Tem Upper", "unit": "", "register": 48}]})", "either \"text\" or \"failed\""},
        {head + R"("rows": [{"label": "Tem Upper", "unit": "", "register": 48, "text": "1", "failed": true}]})",
         "either \"text\" or \"failed\""},
        {head + R"("rows": [{"label": "Tem Upper", "unit": "", "register": 48, "failed": false}]})",
         "\"failed\" must be true"},
        {head + R"("rows": [{"label": "Tem Upper", "unit": "", "register": 70000, "text": "1"}]})",
         "row 1: \"register\" must be a whole number 0..65535"},
        {head + R"("rows": [{"label": "Tem Upper", "unit": "", "register": -1, "text": "1"}]})", "\"register\""},
        {head + R"("rows": [{"label": 5, "unit": "", "register": 48, "text": "1"}]})", "\"label\" must be a text"},
        {head + R"("rows": [{"label": "Tem Upper", "unit": "", "register": 48, "text": 35}]})",
         "\"text\" must be a text"},
        {head + "\"rows\": [" + row + ", " + row + "]}", "row 2: 'Tem Upper' (register 48) is in the file twice"},
        {head + R"("type": {"list": 0, "entry": "x"}, "rows": []})", "\"list\" must be a control id"},
        {R"({"format": "veltrano-settings", "version": 1, "page": "P", "address": 300, "baud": 1, "time": "t",
             "rows": []})",
         "\"address\" must be a whole number 0..255"},
        // A number no double holds aborted the program.
        {R"({"x": 1e400})", "not JSON: number overflow"},
        {head + R"("rows": [{"label": "Tem Upper", "unit": "", "register": 1e400, "text": "1"}]})", "not JSON"},
        // A NUL cut the text: "40\u00000" loaded as 40.
        {head + R"("rows": [{"label": "Tem Upper", "unit": "", "register": 48, "text": "40\u00000"}]})",
         "row 1: \"text\" holds a NUL character"},
        {head + R"("rows": [{"label": "Tem Upper", "unit": "", "register": 48, "text": "1", "words": [1, 2, 3]}]})",
         "\"words\" must be a list of one or two register words"},
        {head + R"("rows": [{"label": "Tem Upper", "unit": "", "register": 48, "text": "1", "words": [65536]}]})",
         "\"words\" must be whole numbers 0..65535"},
        {head + R"("rows": [{"label": "Tem Upper", "unit": "", "register": 48, "text": "1", "reference": 1}]})",
         "\"reference\" must be true or false"},
    };
    for (const auto& [text, reason] : cases) {
        SCOPED_TRACE(text);
        app::Settings s;
        std::string error;
        EXPECT_FALSE(app::SettingsFromJson(text, &s, &error));
        EXPECT_NE(error.find(reason), std::string::npos) << error;
    }
    // A file far larger than any page's settings is not read in whole.
    const std::string big = ::testing::TempDir() + "/big.json";
    Spit(big, std::string(app::kSettingsMaxBytes + 10, ' '));
    app::Settings s;
    std::string error;
    EXPECT_FALSE(app::ReadSettingsFile(big, &s, &error));
    EXPECT_NE(error.find("larger than"), std::string::npos) << error;
}

// Save, change the device, diff, load, diff again is empty; then the same
// file commissions a second device.
TEST(WireSettingsCli, SaveDiffLoadAndCloneToAnotherDevice) {
    auto a = Device("kanban");
    const std::string file = ::testing::TempDir() + "/kanban-settings.json";
    std::remove(file.c_str());
    a->device().SetRegister(48, 350);  // Tem Upper 35.0
    Captured c = Cli(*a, {"page", kKanban, "save", file});
    ASSERT_EQ(c.code, 0) << c.err;
    EXPECT_EQ(c.out, file + ": 8 rows of TemHumKanbanPage saved\n");
    app::Settings saved;
    std::string error;
    ASSERT_TRUE(app::ReadSettingsFile(file, &saved, &error)) << error;
    EXPECT_EQ(saved.page, kKanban);
    EXPECT_EQ(saved.address, 1u);
    EXPECT_EQ(saved.baud, 9600u);
    ASSERT_EQ(saved.rows.size(), 8u);
    EXPECT_EQ(saved.rows[0].label, "Tem Upper");
    EXPECT_EQ(saved.rows[0].reg, 48);
    EXPECT_EQ(saved.rows[0].text, "35.0");

    a->device().SetRegister(48, 300);
    a->device().SetRegister(81, static_cast<uint16_t>(-15));
    c = Cli(*a, {"page", kKanban, "diff", file});
    EXPECT_EQ(c.code, cli::kDiffers) << c.err;
    EXPECT_EQ(c.out, "Tem Upper\t35.0\t30.0\t\nHum Cali\t0.0\t-1.5\t\n");

    a->TakeRequests();
    c = Cli(*a, {"page", kKanban, "load", file, "--dry-run"});
    EXPECT_EQ(c.code, 0) << c.err;
    EXPECT_NE(c.out.find("Tem Upper\t35.0\twould set (the device shows 30.0)\n"), std::string::npos) << c.out;
    for (const auto& frame : a->TakeRequests()) EXPECT_EQ(frame[1], 0x03) << "a dry run only reads";

    c = Cli(*a, {"page", kKanban, "load", file});
    EXPECT_EQ(c.code, 0) << c.err;
    EXPECT_NE(c.out.find("Tem Upper\t35.0\tWrite Successfully\n"), std::string::npos) << c.out;
    EXPECT_NE(c.out.find("Tem Under\t-10.0\tunchanged\n"), std::string::npos) << c.out;
    EXPECT_EQ(a->device().GetRegister(48), 350);
    EXPECT_EQ(a->device().GetRegister(81), 0);
    c = Cli(*a, {"page", kKanban, "diff", file});
    EXPECT_EQ(c.code, 0) << c.err;
    EXPECT_EQ(c.out, "");

    auto b = Device("kanban");
    c = Cli(*b, {"page", kKanban, "load", file});
    EXPECT_EQ(c.code, 0) << c.err;
    c = Cli(*b, {"page", kKanban, "diff", file});
    EXPECT_EQ(c.code, 0) << c.err;
    EXPECT_EQ(c.out, "");
    EXPECT_EQ(b->device().GetRegister(48), 350);
}

// A device that stops answering part way: every row after is still tried,
// and each says it was not written, in the page's own words.
TEST(SettingsCore, ADeviceFailingMidLoadReportsTheRowsNotWritten) {
    sim::Device::Config c;
    c.address = 1;
    c.baud = 9600;
    c.profile = sim::FindProfile("kanban");
    auto sim = std::make_unique<sim::MemoryLine>(c);
    Link link(sim->MakeWire());
    app::MainOptions mo;
    mo.listPorts = [] { return std::vector<PortEntry>{}; };
    app::MainDialog main(link, mo);
    ui::RecordingHost host;
    main.SetHost(&host);
    main.Initialize();
    ASSERT_TRUE(link.Reopen(sim->path(), 9600));
    link.deviceAddress = 1;
    pages::DevicePage& page = *main.ShowPage(kKanban);

    app::Settings file = app::ReadSettings(page);
    ASSERT_EQ(file.rows.size(), 8u);
    for (auto& r : file.rows) r.text = "1.5";  // every row differs
    int writes = 0;
    link.outcome = [&](const Outcome& o) {
        if (o.function != 0x03 && ++writes == 2) {
            sim::Fault silent;
            silent.kind = sim::Fault::Kind::Silent;
            sim->device().SetFault(silent);
        }
    };
    const auto results = app::LoadSettings(page, file, false);
    ASSERT_EQ(results.size(), 8u);
    for (size_t i = 0; i < results.size(); ++i) {
        SCOPED_TRACE(results[i].label);
        if (i < 2) {
            EXPECT_EQ(results[i].status, app::LoadResult::Status::Written);
            EXPECT_EQ(results[i].message, "Write Successfully");
        } else {
            EXPECT_EQ(results[i].status, app::LoadResult::Status::Failed);
            EXPECT_EQ(results[i].code, kResultNoReply);
            EXPECT_EQ(results[i].message, "Return value error or device not responding!");
        }
    }
    EXPECT_EQ(host.messages.size(), 0u) << "the page's messages are reported, not shown";
    EXPECT_TRUE(link.outcome) << "the caller's observer is kept";
    link.outcome = nullptr;
    EXPECT_EQ(sim->device().GetRegister(48), 15);
}

// The page's own checks apply: a value it refuses is that row's failure,
// the others are written, and the exit status says so.
TEST(WireSettingsCli, ARefusedValueFailsItsRowOnly) {
    auto sim = Device("kanban");
    const std::string file = ::testing::TempDir() + "/refused.json";
    ASSERT_EQ(Cli(*sim, {"page", kKanban, "save", file}).code, 0);
    app::Settings s;
    ASSERT_TRUE(app::ReadSettingsFile(file, &s, nullptr));
    s.rows[0].text = "hot";
    s.rows[1].text = "-12.5";
    ASSERT_TRUE(app::WriteSettingsFile(file, s, nullptr));
    const Captured c = Cli(*sim, {"page", kKanban, "load", file});
    EXPECT_EQ(c.code, cli::kRefusedInput);
    EXPECT_NE(c.out.find("Tem Upper\thot\tnot written: "), std::string::npos) << c.out;
    EXPECT_NE(c.out.find("Tem Under\t-12.5\tWrite Successfully\n"), std::string::npos) << c.out;
    EXPECT_EQ(c.err, "veltrano-cli: 1 of 8 rows not written: Tem Upper\n");
    EXPECT_EQ(sim->device().GetRegister(48), 400);
    EXPECT_EQ(sim->device().GetRegister(49), static_cast<uint16_t>(-125));
}

TEST(WireSettingsCli, AMalformedOrForeignFileWritesNothing) {
    auto sim = Device("kanban");
    const std::string good = ::testing::TempDir() + "/good.json";
    ASSERT_EQ(Cli(*sim, {"page", kKanban, "save", good}).code, 0);
    const std::string text = Slurp(good);
    auto edited = [&](const std::string& from, const std::string& to) {
        std::string t = text;
        const size_t at = t.find(from);
        EXPECT_NE(at, std::string::npos) << from;
        return t.replace(at, from.size(), to);
    };
    struct Case {
        std::string text;
        int code;
        std::string says;
    };
    const std::vector<Case> cases = {
        {text.substr(0, text.size() / 2), cli::kRefusedInput, "not JSON"},
        {"{}", cli::kRefusedInput, "not a settings file"},
        {edited("\"TemHumKanbanPage\"", "\"TemHumidityPage\""), cli::kRefusedInput,
         "holds settings of TemHumidityPage, not of TemHumKanbanPage"},
        {edited("\"Tem Upper\"", "\"Tem Top\""), cli::kRefusedInput, "'Tem Top' (register 48) is not a setting"},
        {edited("\"register\": 48", "\"register\": 47"), cli::kRefusedInput, "is not a setting"},
    };
    const std::string bad = ::testing::TempDir() + "/bad.json";
    sim->device().SetRegister(48, 123);
    for (const Case& k : cases) {
        SCOPED_TRACE(k.says);
        Spit(bad, k.text);
        sim->TakeRequests();
        for (const char* command : {"load", "diff"}) {
            const Captured c = Cli(*sim, {"page", kKanban, command, bad});
            EXPECT_EQ(c.code, k.code);
            EXPECT_NE(c.err.find(k.says), std::string::npos) << c.err;
            EXPECT_EQ(c.out, "");
        }
        EXPECT_TRUE(sim->TakeRequests().empty()) << "refused before the port was opened";
    }
    EXPECT_EQ(sim->device().GetRegister(48), 123);
    const Captured c = Cli(*sim, {"page", kKanban, "load", ::testing::TempDir() + "/no-such.json"});
    EXPECT_EQ(c.code, cli::kNoInput) << c.err;
}

TEST(WireSettingsCli, SavingNothingKeepsTheFileThatWasThere) {
    auto sim = Device("kanban");
    const std::string file = ::testing::TempDir() + "/kept.json";
    const std::string beside = ::testing::TempDir() + "/kept.new.json";
    std::remove(beside.c_str());
    Spit(file, "what was there\n");
    sim::Fault silent;
    silent.kind = sim::Fault::Kind::Silent;
    sim->device().SetFault(silent);
    const Captured c = Cli(*sim, {"page", kKanban, "save", file});
    EXPECT_EQ(c.code, kResultNoReply);
    EXPECT_NE(c.err.find("no row could be read"), std::string::npos) << c.err;
    EXPECT_EQ(Slurp(file), "what was there\n");

    // Some rows failed: the file that was there is kept (its values would
    // become failed marks), and the result goes beside it unless --force.
    silent.count = 1;
    sim->device().SetFault(silent);
    Captured partly = Cli(*sim, {"page", kKanban, "save", file});
    EXPECT_EQ(partly.code, kResultNoReply);
    EXPECT_EQ(Slurp(file), "what was there\n");
    EXPECT_EQ(partly.out, beside + ": 7 rows of TemHumKanbanPage saved, 1 failed\n");
    EXPECT_NE(
        partly.err.find(file + " kept as it was, since 1 of 8 rows could not be read; this result is in " + beside),
        std::string::npos)
        << partly.err;
    sim->device().SetFault(silent);
    EXPECT_EQ(Cli(*sim, {"page", kKanban, "save", file, "--force"}).code, kResultNoReply);
    // A failed row is recorded as failed, never as a value, and not loaded.
    app::Settings s;
    ASSERT_TRUE(app::ReadSettingsFile(file, &s, nullptr));
    EXPECT_TRUE(s.rows[0].failed);
    EXPECT_EQ(s.rows[0].result, kResultNoReply);
    EXPECT_FALSE(s.rows[1].failed);
    const Captured load = Cli(*sim, {"page", kKanban, "load", file});
    EXPECT_EQ(load.code, 0) << load.err;
    EXPECT_NE(load.out.find("Tem Upper\t\tskipped"), std::string::npos) << load.out;
}

// The same text means another value under another sensor type, so the
// type entry is part of the file; rows the entry takes away are left out.
TEST(WireSettingsCli, TheSensorTypeEntryMustMatch) {
    auto sim = Device("co2");
    const std::string file = ::testing::TempDir() + "/co2.json";
    Captured c = Cli(*sim, {"--select", "1237=CO2", "page", "Co2Page", "save", file});
    ASSERT_EQ(c.code, 0) << c.err;
    app::Settings s;
    ASSERT_TRUE(app::ReadSettingsFile(file, &s, nullptr));
    EXPECT_EQ(s.typeList, 1237);
    EXPECT_EQ(s.typeEntry, "CO2");
    std::vector<std::string> labels;
    for (const auto& r : s.rows) labels.push_back(r.label);
    EXPECT_EQ(labels, (std::vector<std::string>{"CO2 Upper", "CO2 Under", "CO2 Cali"}));
    c = Cli(*sim, {"page", "Co2Page", "load", file});
    EXPECT_EQ(c.code, cli::kRefusedInput);
    EXPECT_NE(c.err.find("saved with 'CO2' selected in list 1237, the page has 'CO2&Tem&Hum'"), std::string::npos)
        << c.err;
    c = Cli(*sim, {"--select", "1237=CO2", "page", "Co2Page", "load", file});
    EXPECT_EQ(c.code, 0) << c.err;
    // A list its container fills: refused before, whatever was selected.
    auto blinds = Device("pmblinds");
    const std::string pm = ::testing::TempDir() + "/pmblinds.json";
    c = Cli(*blinds, {"--select", "1665=PM blinds", "page", "PmBlindsPage", "save", pm});
    EXPECT_EQ(c.code, 0) << c.err;
    c = Cli(*blinds, {"--select", "1665=PM blinds", "page", "PmBlindsPage", "diff", pm});
    EXPECT_EQ(c.code, 0) << c.err;
}

// Values that the page shows rounded load back to their very bits, and a
// difference below the shown digits is one; a relay's state is recorded
// for reference only, and a file read from a pipe is read once.
TEST(WireSettingsCli, WhatIsSavedLoadsBackExactlyAndDrivesNothing) {
    auto a = Device("lampblack");
    const std::string file = ::testing::TempDir() + "/lampblack.json";
    std::remove(file.c_str());
    SetFloat(*a, 16, 1.5e-7f);     // "0.000000" on the page
    SetFloat(*a, 18, 0.1234567f);  // "0.123457"
    ASSERT_EQ(Cli(*a, {"page", "LampblackPage", "save", file}).code, 0);
    auto b = Device("lampblack");
    SetFloat(*b, 16, 0.0f);
    Captured c = Cli(*b, {"page", "LampblackPage", "diff", file});
    EXPECT_EQ(c.code, cli::kDiffers) << c.err;
    EXPECT_NE(c.out.find("LAMP coefficient A	0.000000	0.000000"), std::string::npos) << c.out;
    c = Cli(*b, {"page", "LampblackPage", "load", file});
    EXPECT_EQ(c.code, 0) << c.err;
    for (uint16_t reg : {16, 17, 18, 19}) EXPECT_EQ(b->device().GetRegister(reg), a->device().GetRegister(reg)) << reg;
    EXPECT_EQ(Cli(*b, {"page", "LampblackPage", "diff", file}).code, 0);

    auto gauge = Device("watergauge");
    const std::string relay = ::testing::TempDir() + "/gauge.json";
    gauge->device().SetRegister(3, 1);  // relay closed
    ASSERT_EQ(Cli(*gauge, {"page", "WaterGaugePage", "save", relay}).code, 0);
    app::Settings s;
    ASSERT_TRUE(app::ReadSettingsFile(relay, &s, nullptr));
    const auto reference = app::ReferenceRows(s);
    EXPECT_EQ(reference, std::vector<std::string>{"Relay Status"}) << "recorded, marked";
    gauge->device().SetRegister(3, 0);
    c = Cli(*gauge, {"page", "WaterGaugePage", "diff", relay});
    EXPECT_EQ(c.code, 0) << c.out;
    EXPECT_NE(c.err.find("kept for reference only: Relay Status"), std::string::npos) << c.err;
    c = Cli(*gauge, {"page", "WaterGaugePage", "load", relay});
    EXPECT_EQ(c.code, 0) << c.err;
    EXPECT_NE(c.out.find("Relay Status	Close	skipped: an output or an action"), std::string::npos) << c.out;
    EXPECT_EQ(gauge->device().GetRegister(3), 0) << "loading a file switched a relay";

#ifndef _WIN32
    // Through a pipe: a second read would wait for ever.
    const std::string fifo = ::testing::TempDir() + "/settings.fifo";
    std::remove(fifo.c_str());
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string text = Slurp(file);
    std::thread writer([&] { Spit(fifo, text); });
    c = Cli(*b, {"page", "LampblackPage", "diff", fifo});
    writer.join();
    EXPECT_EQ(c.code, 0) << c.err;
    std::remove(fifo.c_str());
#endif
}

// Rows are matched by label and register: on every page that pair must
// name one row, or a file could not say which it means. A button that only
// writes (a command) is never a setting to replay.
TEST(SettingsCore, EveryPagesSettingsRowsAreUnambiguous) {
    Link link;
    size_t pagesWithSettings = 0;
    for (const pages::PageInfo& info : pages::AllPages()) {
        if (!info.make) continue;
        const auto page = info.make(link);
        std::set<std::pair<std::string, uint16_t>> keys;
        const auto rows = app::SettingRows(*page);
        pagesWithSettings += !rows.empty();
        for (const auto& r : rows)
            EXPECT_TRUE(keys.insert({r.label, r.reg}).second) << info.className << " " << r.label;
        const auto* table = dynamic_cast<const pages::TablePage*>(page.get());
        for (const pages::Row& row : table ? table->table().rows : std::span<const pages::Row>{}) {
            if (row.setup && !row.inquire) {
                EXPECT_TRUE(row.action) << info.className << " " << row.label << row.setupText << ": a command";
            }
        }
    }
    EXPECT_GE(pagesWithSettings, 15u);
}

}  // namespace
}  // namespace veltrano
