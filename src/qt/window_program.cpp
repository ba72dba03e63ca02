#include "qt/window_program.h"

#include <QApplication>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <cstring>

#include "app/config_app.h"
#include "app/main_ids.h"
#include "qt/main_window.h"
#include "qt/qt_host.h"
#include "sim/simulator.h"

// The icons are compiled into this static library; make sure they are linked.
static void InitResources() { Q_INIT_RESOURCE(veltrano); }

namespace veltrano::qt {

bool ParseWindowOptions(int argc, char** argv, WindowOptions* o) {
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&](std::string* v) {
            if (i + 1 >= argc) return false;
            *v = argv[++i];
            return true;
        };
        std::string v;
        if (a == "--demo") {
            o->demo = true;
            if (i + 1 < argc && argv[i + 1][0] != '-') o->demoProfile = argv[++i];
        } else if (a == "--port" && value(&v)) {
            o->ports.push_back(v);
        } else if (a == "--screenshot" && value(&v)) {
            o->screenshot = v;
        } else if (a == "--scan") {
            o->scan = true;
        } else if (a == "--page" && value(&v)) {
            o->page = v;
        } else if (a == "--real-time") {
            o->realTime = true;
        } else if (a == "--wait-ms" && value(&v)) {
            o->waitMs = std::atoi(v.c_str());
        } else if (a == "--size" && value(&v)) {
            int w = 0, h = 0;
            char tail = 0;
            if (std::sscanf(v.c_str(), "%dx%d%c", &w, &h, &tail) != 2 || w <= 0 || h <= 0 || w > 10000 || h > 10000) {
                std::fprintf(stderr, "veltrano: --size wants WIDTHxHEIGHT, not '%s'\n", v.c_str());
                return false;
            }
            o->width = w;
            o->height = h;
        } else if (a == "--demo-reg" && value(&v)) {
            unsigned reg = 0;
            long val = 0;
            char tail = 0;
            if (std::sscanf(v.c_str(), "%u=%ld%c", &reg, &val, &tail) != 2 || reg > 0xFFFF || val < -32768 ||
                val > 0xFFFF) {
                std::fprintf(stderr, "veltrano: --demo-reg wants REGISTER=VALUE, not '%s'\n", v.c_str());
                return false;
            }
            o->demoRegisters.emplace_back(static_cast<uint16_t>(reg), static_cast<uint16_t>(val & 0xFFFF));
        } else if (a == "--exit-when-shown") {
            o->exitWhenShown = true;
        } else if (a == "--help" || a == "-h") {
            std::printf(
                "usage: veltrano [--demo [PROFILE]] [--port PATH]...\n"
                "  --demo [PROFILE]  a simulated device on a pseudo-terminal, preselected\n"
                "                    (profiles: veltrano-sim --list-profiles; default temhum)\n"
                "  --port PATH       add a port to the list (repeatable)\n"
                "for pictures: --scan --page CLASS --real-time --wait-ms N --size WxH\n"
                "              --demo-reg REG=VALUE --screenshot FILE.png\n");
            std::exit(0);
        } else {
            std::fprintf(stderr, "veltrano: bad argument '%s' (see --help)\n", a.c_str());
            return false;
        }
    }
    return true;
}

int RunWindowProgram(int argc, char** argv, const WindowOptions& options) {
    const auto started = std::chrono::steady_clock::now();
    QApplication qapp(argc, argv);
    InitResources();
    QApplication::setApplicationName(app::kAppName);

    std::unique_ptr<sim::Simulator> demo;
    app::MainOptions mo;
    if (options.demo) {
        const sim::Profile* profile = sim::FindProfile(options.demoProfile);
        if (!profile) {
            std::fprintf(stderr, "veltrano: no demo profile '%s' (see veltrano-sim --list-profiles)\n",
                         options.demoProfile.c_str());
            return 64;
        }
        sim::Device::Config c;
        c.address = profile->address;
        c.baud = profile->baud;
        c.dialects = profile->dialects;
        c.profile = profile;
        demo = std::make_unique<sim::Simulator>(c);
        std::string error;
        if (!demo->Start(&error)) {
            std::fprintf(stderr, "veltrano: cannot start the demo device: %s\n", error.c_str());
            return 1;
        }
        for (const auto& [reg, value] : options.demoRegisters) demo->device().SetRegister(reg, value);
        mo.leadingPorts.push_back(PortEntry{demo->path(), std::string("simulated ") + profile->name});
    }
    for (const std::string& p : options.ports) mo.extraPorts.push_back(PortEntry{p, ""});

    app::ConfigApp application(std::move(mo));
    QtHost host;
    if (!options.screenshot.empty() || options.exitWhenShown) host.autoAnswer = true;
    int result = 0;
    const bool ok = application.Run(host, [&](app::MainDialog& main) {
        MainWindow::Options wo;
        // Pictures come out the same on every machine and leave its settings alone.
        wo.remember = options.screenshot.empty();
        // The demo's pseudo-terminal is made afresh each run.
        wo.rememberPort = !options.demo;
        MainWindow window(main, wo);
        host.SetWindow(main, &window);
        window.show();
        if (options.width > 0) window.resize(options.width, options.height);
        if (options.exitWhenShown) {
            QTimer::singleShot(0, &window, [&] {
                const double ms =
                    std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started).count();
                std::printf("window shown after %.1f ms\n", ms);
                window.done(0);
            });
        }
        if (!options.screenshot.empty()) {
            QTimer::singleShot(50, &window, [&] {
                if (options.scan) window.Press(main, app::kTestBaudRate);
                if (!options.page.empty()) {
                    if (auto* page = main.ShowPage(options.page)) {
                        for (const auto& row : page->Rows())
                            if (row.inquire) window.Press(*page, row.inquire);
                        if (options.realTime && !page->RealTimeChecked()) window.Press(*page, page->realTimeBox());
                    }
                }
                QTimer::singleShot(options.waitMs, &window, [&] {
                    window.grab().save(QString::fromStdString(options.screenshot));
                    window.done(0);
                });
            });
        }
        result = window.exec();
        host.Forget(main);
        return result;
    });
    if (demo) demo->Stop();
    return ok ? 0 : 1;
}

}  // namespace veltrano::qt
