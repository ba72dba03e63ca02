// Live-value logging: CSV fields and rows, time stamps, which boxes a tick
// logs and when a value is left out, and "page NAME poll" with --csv,
// --count and Ctrl-C, against simulated devices.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#endif

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <regex>
#include <sstream>
#include <thread>

#include "app/main_dialog.h"
#include "app/value_log.h"
#include "cli/commands.h"
#include "pages/table_page.h"
#include "support/capture.h"
#include "support/files.h"
#include "support/sim_link.h"

#ifndef _WIN32
extern char** environ;
#endif

namespace veltrano {
namespace {

using test::Capture;
using test::Captured;
using test::Lines;
using test::Slurp;
using test::Spit;


TEST(CsvLog, FieldsAreQuotedOnlyWhenTheyMustBe) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"23.5", "23.5"},
        {"", ""},
        {" padded ", " padded "},
        {"℃", "℃"},
        {"1,5", "\"1,5\""},
        {"say \"hi\"", "\"say \"\"hi\"\"\""},
        {"\"", "\"\"\"\""},
        {"two\nlines", "\"two\nlines\""},
        {"cr\r", "\"cr\r\""},
    };
    for (const auto& [text, field] : cases) EXPECT_EQ(app::CsvField(text), field) << text;
    EXPECT_EQ(app::CsvRecord({"a", "", "b,c"}), "a,,\"b,c\"\n");
    EXPECT_EQ(app::CsvRecord({""}), "\n");
}

#ifndef _WIN32  // POSIX TZ rules
TEST(CsvLog, TimeStampsAreIsoWithMillisecondsAndTheOffset) {
    const char* saved = std::getenv("TZ");
    const std::string before = saved ? saved : "";
    struct Case {
        const char* tz;  // POSIX rules: no time-zone database needed
        long long ms;
        const char* text;
    };
    const std::vector<Case> cases = {
        {"UTC0", 1700000000123, "2023-11-14T22:13:20.123+00:00"},
        {"UTC0", 1700000000007, "2023-11-14T22:13:20.007+00:00"},
        {"IST-5:30", 1700000000999, "2023-11-15T03:43:20.999+05:30"},
        {"NST3:30", 1700000000000, "2023-11-14T18:43:20.000-03:30"},
        {"UTC0", -1, "1969-12-31T23:59:59.999+00:00"},  // floored, not a negative millisecond
    };
    for (const Case& c : cases) {
        setenv("TZ", c.tz, 1);
        tzset();
        const std::chrono::system_clock::time_point t{std::chrono::milliseconds(c.ms)};
        EXPECT_EQ(app::IsoTime(t), c.text) << c.tz << " " << c.ms;
    }
    if (saved) setenv("TZ", before.c_str(), 1);
    else unsetenv("TZ");
    tzset();
}
#endif

// Which boxes a tick refreshes: the read set (or the block read) in page
// order, and values the page derives from them; header names without the
// form's colon, an unlabelled box named after the row before it.
TEST(CsvLog, ColumnsAreWhatTheRealTimeTickRefreshes) {
    struct Case {
        const char* page;
        std::vector<std::string> header;
        std::vector<int> sources;
    };
    const std::vector<Case> cases = {
        {"TemHumKanbanPage", {"time", "Temperature", "Humidity"}, {1, 0}},
        {"No2Page",
         {"time", "Temperature (℃)", "Humidity (%RH)", "NO2 (ppm)", "NO2 (mg/m3)"},
         {1, 0, 2, 2}},
        {"WindDirectionPage", {"time", "Register 0", "Register 1"}, {0, 1}},
    };
    Link link;
    app::MainOptions mo;
    mo.listPorts = [] { return std::vector<PortEntry>{}; };
    app::MainDialog main(link, mo);
    main.Initialize();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.page);
        const auto columns = app::LogColumns(*main.ShowPage(c.page));
        const auto header = app::LogHeader(columns);
        ASSERT_GE(header.size(), c.header.size());
        EXPECT_EQ(std::vector<std::string>(header.begin(), header.begin() + c.header.size()), c.header);
        for (size_t i = 0; i < c.sources.size(); ++i) EXPECT_EQ(columns[i].sourceRegister, c.sources[i]);
    }
    // The wind direction's name comes from register 0's box: derived, no read of its own.
    const auto wind = app::LogColumns(*main.ShowPage("WindDirectionPage"));
    ASSERT_EQ(wind.size(), 3u);
    EXPECT_EQ(wind[2].sourceRegister, -1);
    // A block read fills every box from its first register.
    for (const auto& c : app::LogColumns(*main.ShowPage("MultiGasPage"))) EXPECT_EQ(c.sourceRegister, 0) << c.label;
}

// A read that keeps its old text on failure must not log it again: the
// value of a failed read is an empty field, whatever the box still shows.
constexpr pages::Row kStaleRows[] = {
    {.edit = 100, .label = "Count", .reg = 48, .read = pages::kInteger, .inquire = 101, .poll = 1},
    {.edit = 102, .label = "Level", .unit = "cm", .reg = 49, .read = pages::kTenths, .inquire = 103, .poll = 1},
};
constexpr pages::PageTable kStaleTable = {
    .templateId = 9001, .className = "StalePage", .rows = kStaleRows, .realTimeBox = 104};

TEST(CsvLog, AFailedReadIsAnEmptyFieldNeverTheOldText) {
    test::SimLink s(test::DeviceAt(1, 9600));
    s.sim.device().SetRegister(48, 7);
    s.sim.device().SetRegister(49, 215);
    ASSERT_TRUE(s.Open(9600, 1));
    pages::TablePage page(s.link, kStaleTable);
    app::TickSampler sampler(page);
    const std::string path = ::testing::TempDir() + "/stale.csv";
    app::CsvLog log;
    std::string error;
    ASSERT_TRUE(log.Open(path, &error)) << error;
    ASSERT_TRUE(log.WriteHeader(sampler.columns(), &error));

    app::Sample good = app::RunTick(page, sampler);
    EXPECT_EQ(good.values, (std::vector<std::string>{"7", "21.5"}));
    EXPECT_EQ(good.worst, kResultOk);
    EXPECT_EQ(good.reads, 2);
    ASSERT_TRUE(log.WriteRow(good, &error));

    sim::Fault silent;
    silent.kind = sim::Fault::Kind::Silent;
    silent.count = 1;  // the first read of the tick goes unanswered
    s.sim.device().SetFault(silent);
    app::Sample bad = app::RunTick(page, sampler);
    EXPECT_EQ(page.GetItemText(100), "7") << "the page keeps the old text";
    EXPECT_EQ(bad.values, (std::vector<std::string>{"", "21.5"}));
    EXPECT_EQ(bad.failed, (std::vector<bool>{true, false}));
    EXPECT_EQ(bad.worst, kResultNoReply);
    ASSERT_TRUE(log.WriteRow(bad, &error));

    // Each row is on disk as soon as it is written.
    const auto lines = Lines(Slurp(path));
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "time,Count,Level (cm)");
    EXPECT_EQ(lines[1].substr(lines[1].find(',')), ",7,21.5");
    EXPECT_EQ(lines[2].substr(lines[2].find(',')), ",,21.5");
    const std::regex stamp(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}[+-]\d\d:\d\d)");
    EXPECT_TRUE(std::regex_match(lines[2].substr(0, lines[2].find(',')), stamp)) << lines[2];
}

// A log that is there already is continued after its last complete row,
// never emptied without a word; a file of another log is left alone.
TEST(CsvLog, AnExistingLogIsContinuedOrLeftAlone) {
    const std::vector<app::LogColumn> columns = {{1, "Count", ""}, {2, "Level:", "cm"}};
    const std::string header = "time,Count,Level (cm)\n", row = "2026-12-11T12:19:00.000+00:00,7,21.5\n";
    using Start = app::CsvLog::Start;
    struct Case {
        std::string before;
        bool overwrite;
        Start start;
        std::string after;  // then one row more, unless refused
    };
    const std::vector<Case> cases = {
        {"", false, Start::Created, header},
        {header + row, false, Start::Appended, header + row},
        {header + row + "2026-12-11T12:19:", false, Start::Appended, header + row},  // a row cut short
        {header, false, Start::Appended, header},
        {"time,Temperature\n" + row, false, Start::OtherHeader, "time,Temperature\n" + row},
        {"time,Temperature\n" + row, true, Start::Created, header},
        {"no newline at all", false, Start::OtherHeader, "no newline at all"},
    };
    const std::string path = ::testing::TempDir() + "/existing.csv";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.before);
        Spit(path, c.before);
        app::CsvLog log;
        std::string error;
        ASSERT_EQ(log.OpenFor(path, columns, c.overwrite, &error), c.start) << error;
        if (c.start == Start::OtherHeader) {
            EXPECT_NE(error.find("holds a log of other values"), std::string::npos) << error;
            EXPECT_EQ(Slurp(path), c.after);
            continue;
        }
        app::Sample s{std::chrono::system_clock::now(), {"8", "1.0"}, {false, false}};
        ASSERT_TRUE(log.WriteRow(s, &error)) << error;
        const std::string text = Slurp(path);
        EXPECT_EQ(text.substr(0, c.after.size()), c.after);
        EXPECT_EQ(text.substr(text.size() - 7), ",8,1.0\n") << text;
    }
}

#ifndef _WIN32
// A full disk (a file-size limit here) stops the log with the file ending
// on its last complete row, not on a torn one.
TEST(CsvLog, ADiskWithoutRoomLeavesWholeRowsOnly) {
    const std::string path = ::testing::TempDir() + "/full.csv";
    std::remove(path.c_str());
    app::CsvLog log;
    std::string error;
    ASSERT_EQ(log.OpenFor(path, {{1, "Count", ""}}, false, &error), app::CsvLog::Start::Created) << error;
    ::signal(SIGXFSZ, SIG_IGN);  // the write fails with EFBIG instead
    struct rlimit before {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &before), 0);
    struct rlimit small = before;
    small.rlim_cur = 1000;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    app::Sample s{std::chrono::system_clock::now(), {"12345"}, {false}};
    int rows = 0;
    while (log.WriteRow(s, &error) && rows < 1000) ++rows;
    ::setrlimit(RLIMIT_FSIZE, &before);
    EXPECT_LT(rows, 1000);
    EXPECT_NE(error.find("too large"), std::string::npos) << error;
    const std::string text = Slurp(path);
    EXPECT_EQ(text.back(), '\n');
    EXPECT_EQ(Lines(text).size(), static_cast<size_t>(rows) + 1) << "the header and every row, whole";
}
#endif

// --- page NAME poll on the command line ---

struct WireCliPoll : ::testing::Test {
    void SetUp() override {
        sim::Device::Config c;
        c.address = 1;
        c.baud = 9600;
        c.profile = sim::FindProfile("kanban");
        sim = std::make_unique<sim::Simulator>(c);
        ASSERT_TRUE(sim->Start());
    }
    std::vector<std::string> Args(std::vector<std::string> tail) const {
        std::vector<std::string> a{"--port", sim->path(), "page", "TemHumKanbanPage", "poll"};
        a.insert(a.end(), tail.begin(), tail.end());
        return a;
    }
    Captured Poll(std::vector<std::string> tail) {
        const auto args = Args(std::move(tail));
        return Capture([&](FILE* out, FILE* err) { return cli::Run(args, out, err); });
    }
    std::unique_ptr<sim::Simulator> sim;
};

TEST_F(WireCliPoll, CsvRowsPerTickWithAFailedTickLeftEmpty) {
    const std::string path = ::testing::TempDir() + "/kanban.csv";
    std::remove(path.c_str());
    sim::Fault silent;
    silent.kind = sim::Fault::Kind::Silent;
    silent.count = 2;  // the first tick: both reads unanswered
    sim->device().SetFault(silent);
    Captured c = Poll({"--every", "0.1", "--count", "3", "--csv", path});
    EXPECT_EQ(c.code, 2) << "the worst tick's result";
    EXPECT_EQ(c.out, "") << "the rows go to the file";
    EXPECT_NE(c.err.find(" of 3 ticks failed)"), std::string::npos) << c.err;
    const auto lines = Lines(Slurp(path));
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], "time,Temperature,Humidity");
    EXPECT_EQ(lines[1].substr(lines[1].find(',')), ",,");
    const std::regex row(R"([0-9T:.+-]{29},-?\d+\.\d,\d+\.\d)");
    for (int i : {2, 3}) EXPECT_TRUE(std::regex_match(lines[i], row)) << lines[i];

    // The same log again: continued, not emptied; another page's log: left alone.
    c = Poll({"--count", "1", "--csv", path});
    EXPECT_EQ(c.code, 0) << c.err;
    EXPECT_EQ(c.err, "veltrano-cli: appending to " + path + "\n");
    EXPECT_EQ(Lines(Slurp(path)).size(), 5u);
    Spit(path, "time,Weight (g)\n");
    c = Poll({"--count", "1", "--csv", path});
    EXPECT_EQ(c.code, cli::kRefusedInput);
    EXPECT_NE(c.err.find("holds a log of other values (time,Weight (g)); it was left as it was (--overwrite replaces it)"),
              std::string::npos)
        << c.err;
    EXPECT_EQ(Slurp(path), "time,Weight (g)\n");
    c = Poll({"--count", "1", "--csv", path, "--overwrite"});
    EXPECT_EQ(c.code, 0) << c.err;
    EXPECT_EQ(Lines(Slurp(path)).size(), 2u);

    // To stdout, and the plain text of one tick as before.
    c = Poll({"--count", "2", "--every", "0.1", "--csv"});
    EXPECT_EQ(c.code, 0) << c.err;
    EXPECT_EQ(Lines(c.out).size(), 3u);
    c = Poll({});
    EXPECT_EQ(c.code, 0) << c.err;
    EXPECT_EQ(c.out.rfind("Temperature\t", 0), 0u) << c.out;
}

// A device pulled mid-log and plugged back behind the same path: said once
// each way, its ticks meanwhile empty rows, and read again without a restart.
TEST(WireCliPollUnplug, TheLogGoesOnAndTheDeviceIsReadAgainWhenItIsBack) {
    sim::Device::Config cfg;
    cfg.address = 1;
    cfg.baud = 9600;
    cfg.profile = sim::FindProfile("kanban");
    sim::Simulator sim(cfg);
    const std::string link = ::testing::TempDir() + "/poll-unplug-sensor";
    ASSERT_TRUE(sim.Start(nullptr, link));
    const std::string path = ::testing::TempDir() + "/unplug.csv";
    std::remove(path.c_str());
    Captured c;
    std::thread poll([&] {
        c = Capture([&](FILE* out, FILE* err) {
            return cli::Run({"--port", link, "page", "TemHumKanbanPage", "poll", "--every", "0.2", "--count", "30",
                             "--csv", path},
                            out, err);
        });
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(1000));
    sim.Unplug();
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    ASSERT_TRUE(sim.Replug());
    poll.join();
    EXPECT_EQ(c.code, kResultPortClosed) << c.err;
    EXPECT_NE(c.err.find("device gone: " + link), std::string::npos) << c.err;
    EXPECT_NE(c.err.find("reconnected: " + link + " at 9600 baud"), std::string::npos) << c.err;
    const auto lines = Lines(Slurp(path));
    ASSERT_EQ(lines.size(), 31u) << "a row every tick, none lost";
    EXPECT_EQ(lines.back().find(",,"), std::string::npos) << "read again once back: " << lines.back();
    int empty = 0;
    for (const auto& l : lines) empty += l.ends_with(",,");
    EXPECT_GE(empty, 3) << "the ticks while it was gone";
}

TEST_F(WireCliPoll, BadOptionsAreUsageErrorsBeforeAnythingIsSent) {
    const std::vector<std::vector<std::string>> bad = {
        {"--every", "0"}, {"--every", "-1"}, {"--every", "soon"}, {"--every", "1e6"},
        {"--count", "0"}, {"--count", "2.5"}, {"--every"},       {"--bogus"},
        {"extra"},        {"--overwrite"},
    };
    for (const auto& tail : bad) {
        SCOPED_TRACE(tail[0] + (tail.size() > 1 ? " " + tail[1] : ""));
        const Captured c = Poll(tail);
        EXPECT_EQ(c.code, cli::kUsageError) << c.err;
        EXPECT_TRUE(sim->TakeRequests().empty());
    }
    const Captured c = Poll({"--csv", "/nonexistent/dir/log.csv"});
    EXPECT_EQ(c.code, cli::kCannotCreate) << c.err;
    EXPECT_TRUE(sim->TakeRequests().empty());
}

#ifndef _WIN32  // signals sent to a child process
// The real program, stopped as an operator stops it: the wait between ticks
// ends at once, the exit is clean and the file holds whole rows only.
TEST_F(WireCliPoll, CtrlCAndSigtermEndItWithTheFileComplete) {
    for (int sig : {SIGINT, SIGTERM}) {
        SCOPED_TRACE(sig);
        const std::string path = ::testing::TempDir() + "/stopped" + std::to_string(sig) + ".csv";
        std::remove(path.c_str());
        std::vector<std::string> argv{VELTRANO_CLI};
        // A minute between ticks: a second row would mean the signal was not heard.
        for (const auto& a : Args({"--every", "60", "--csv", path})) argv.push_back(a);
        std::vector<char*> cargs;
        for (auto& a : argv) cargs.push_back(a.data());
        cargs.push_back(nullptr);
        posix_spawn_file_actions_t fa;
        posix_spawn_file_actions_init(&fa);
        posix_spawn_file_actions_addopen(&fa, 2, "/dev/null", O_WRONLY, 0);
        pid_t pid = -1;
        ASSERT_EQ(posix_spawn(&pid, cargs[0], &fa, nullptr, cargs.data(), environ), 0);
        posix_spawn_file_actions_destroy(&fa);
        // The first row is flushed at once; wait for it (generously, the machine may be busy).
        bool rowSeen = false;
        for (int i = 0; i < 400 && !rowSeen; ++i) {
            rowSeen = Lines(Slurp(path)).size() >= 2;
            if (!rowSeen) std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        EXPECT_TRUE(rowSeen);
        kill(pid, sig);
        int status = 0, waited = 0;
        for (int i = 0; i < 400 && waited == 0; ++i) {
            waited = waitpid(pid, &status, WNOHANG);
            if (waited == 0) std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        if (waited == 0) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            ADD_FAILURE() << "still running 20 s after the signal";
            continue;
        }
        ASSERT_TRUE(WIFEXITED(status)) << "ended by the signal instead of by itself";
        EXPECT_EQ(WEXITSTATUS(status), 0);
        const std::string text = Slurp(path);
        EXPECT_EQ(Lines(text).size(), 2u) << text;
        ASSERT_FALSE(text.empty());
        EXPECT_EQ(text.back(), '\n');
    }
}
#endif

}  // namespace
}  // namespace veltrano
