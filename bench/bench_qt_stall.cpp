// How long the window stops answering: the longest stall of the GUI event
// loop while the console works, on the offscreen platform, against the
// simulator on a pseudo-terminal. Usage: bench_qt_stall [--rounds N]
//
// Method: a 5 ms heartbeat timer runs on the event loop; a stall is the
// longest gap between two of its beats, less its period, while one of:
//  a) Test Baud Rate with nothing on the line (five passes, nothing found);
//  b) "Real Time" on the kanban page with the device unplugged, 5 s, and
//     with the device there but silent, 5 s;
//  c) Save settings of the kanban page (8 rows).
// Reported per scenario: the median and the worst of N rounds (default 3),
// and the share of the time the window thread spent away from its loop.
#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <vector>

#include "app/config_app.h"
#include "app/main_dialog.h"
#include "app/main_ids.h"
#include "qt/main_window.h"
#include "qt/qt_host.h"
#include "qt/settings_actions.h"
#include "sim/profile.h"
#include "sim/simulator.h"

using namespace veltrano;

namespace {

constexpr int kBeatMs = 5;

// The event loop's longest gap between beats while `work` runs from it, and
// the time spent outside the loop, both in ms; the loop runs `forMs` in all.
struct Stall {
    double longest = 0, away = 0, wall = 0;
};
Stall Measure(const std::function<void()>& work, int forMs) {
    QElapsedTimer clock;
    clock.start();
    double last = 0;
    Stall s;
    QTimer beat;
    beat.setTimerType(Qt::PreciseTimer);
    QObject::connect(&beat, &QTimer::timeout, [&] {
        const double now = clock.nsecsElapsed() / 1e6;
        const double gap = now - last - kBeatMs;
        if (gap > s.longest) s.longest = gap;
        if (gap > kBeatMs) s.away += gap;
        last = now;
    });
    beat.start(kBeatMs);
    QTimer::singleShot(20, work);
    QEventLoop loop;
    QTimer::singleShot(forMs, &loop, &QEventLoop::quit);
    loop.exec();
    s.wall = clock.nsecsElapsed() / 1e6;
    return s;
}

struct Window {
    explicit Window(const sim::Device::Config& device) : sim(device) {
        if (!sim.Start()) std::exit(1);
        app::MainOptions mo;
        mo.leadingPorts.push_back(PortEntry{sim.path(), "simulated"});
        mo.listPorts = [] { return std::vector<PortEntry>{}; };
        application = std::make_unique<app::ConfigApp>(mo);
        host.autoAnswer = true;
        main().SetHost(&host);
        main().Initialize();
        window = std::make_unique<qt::MainWindow>(main());
        host.SetWindow(main(), window.get());
        window->resize(1366, 768);
        window->show();
        for (int i = 0; i < 20; ++i) QApplication::processEvents();
    }
    ~Window() {
        host.Forget(main());
        window.reset();
        application.reset();
    }
    app::MainDialog& main() { return application->main(); }

    sim::Simulator sim;
    qt::QtHost host;
    std::unique_ptr<app::ConfigApp> application;
    std::unique_ptr<qt::MainWindow> window;
};

sim::Device::Config Kanban() {
    sim::Device::Config c;
    c.profile = sim::FindProfile("kanban");
    c.address = c.profile->address;
    c.baud = c.profile->baud;
    c.dialects = c.profile->dialects;
    return c;
}

void Report(const char* what, std::vector<Stall> runs) {
    std::sort(runs.begin(), runs.end(), [](const Stall& a, const Stall& b) { return a.longest < b.longest; });
    double away = 0, wall = 0;
    for (const Stall& s : runs) away += s.away, wall += s.wall;
    std::printf("%-58s longest stall: median %7.1f ms, worst %7.1f ms; away from the loop %4.1f %% of the time\n", what,
                runs[runs.size() / 2].longest, runs.back().longest, away / wall * 100);
}

}  // namespace

int main(int argc, char** argv) {
    int rounds = 3;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--rounds") == 0) rounds = std::max(1, std::atoi(argv[i + 1]));
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    std::vector<Stall> scan, unplugged, silent, save;
    for (int r = 0; r < rounds; ++r) {
        {
            sim::Device::Config mute = Kanban();
            mute.dialects = sim::kDialectNone;  // answers no discovery dialect
            Window w(mute);
            scan.push_back(Measure([&] { w.main().scan().Run(); }, 3500));
        }
        Window w(Kanban());
        if (w.main().scan().Run() != app::BaudRateTest::Outcome::ShortFrame) return 1;
        pages::DevicePage* page = w.main().ShowPage("TemHumKanbanPage");
        QTemporaryDir dir;
        const QString file = dir.path() + "/kanban.json";
        save.push_back(Measure([&] { qt::SaveSettingsOf(page, file); }, 1500));
        page->Click(page->realTimeBox());
        sim::Fault quiet;
        quiet.kind = sim::Fault::Kind::Silent;
        silent.push_back(Measure([&] { w.sim.device().SetFault(quiet); }, 5000));
        Measure([&] { w.sim.device().SetFault(sim::Fault{}); }, 1500);  // the last silent tick ends
        unplugged.push_back(Measure([&] { w.sim.Unplug(); }, 5000));
        page->Click(page->realTimeBox());
    }
    std::printf("GUI event loop, %d-ms heartbeat, %d rounds each\n", kBeatMs, rounds);
    Report("a) Test Baud Rate, nothing found", scan);
    Report("b) Real Time, kanban page, device unplugged, 5 s", unplugged);
    Report("   Real Time, kanban page, device silent, 5 s", silent);
    Report("c) Save settings, kanban page (8 rows)", save);
    return 0;
}
