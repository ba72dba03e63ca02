// The README's pictures of the operator's toolkit, on the kanban demo
// device (offscreen unless a platform is set):
//   toolkit_screenshots traffic FILE.png   the traffic panel after a scan
//   toolkit_screenshots trend FILE.png [MINUTES]
//                                          the trend plot after MINUTES (3)
//                                          of Real Time; the device's values
//                                          wander and it falls silent for 15 s
#include <QApplication>
#include <QTimer>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/config_app.h"
#include "app/main_ids.h"
#include "pages/device_page.h"
#include "qt/main_window.h"
#include "qt/operator_toolkit.h"
#include "qt/qt_host.h"
#include "sim/simulator.h"

using namespace veltrano;

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: toolkit_screenshots traffic|trend FILE.png [MINUTES]\n");
        return 64;
    }
    const std::string shot = argv[1], file = argv[2];
    const double minutes = argc > 3 ? std::atof(argv[3]) : 3.0;
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication qapp(argc, argv);

    const sim::Profile* profile = sim::FindProfile("kanban");
    sim::Device::Config c;
    c.address = profile->address;
    // The traffic picture: a device at 9600 baud, so that the scan's tries at
    // 2400 and 4800 show as well.
    c.baud = shot == "traffic" ? 9600 : profile->baud;
    c.dialects = profile->dialects;
    c.profile = profile;
    sim::Simulator demo(c);
    std::string error;
    if (!demo.Start(&error)) {
        std::fprintf(stderr, "cannot start the demo device: %s\n", error.c_str());
        return 1;
    }
    app::MainOptions mo;
    mo.leadingPorts.push_back(PortEntry{demo.path(), std::string("simulated ") + profile->name});
    mo.listPorts = [] { return std::vector<PortEntry>{}; };
    app::ConfigApp application(std::move(mo));
    qt::QtHost host;
    host.autoAnswer = true;
    int result = 0;
    application.Run(host, [&](app::MainDialog& main) {
        qt::MainWindow::Options wo;
        wo.remember = false;
        qt::MainWindow window(main, wo);
        host.SetWindow(main, &window);
        window.show();
        window.resize(1180, shot == "traffic" ? 860 : 1000);
        QTimer::singleShot(50, &window, [&] {
            qt::OperatorToolkit* toolkit = qt::OperatorToolkit::Of(window);
            if (shot == "traffic") {
                toolkit->showTraffic().trigger();
                window.Press(main, app::kTestBaudRate);
                if (auto* page = main.ShowPage("TemHumKanbanPage"))
                    for (size_t i = 0; i < 2; ++i) window.Press(*page, page->Rows().at(i).inquire);
                QTimer::singleShot(400, &window, [&] {
                    window.grab().save(QString::fromStdString(file));
                    window.done(0);
                });
                return;
            }
            toolkit->showTrend().trigger();
            window.Press(main, app::kTestBaudRate);
            pages::DevicePage* page = main.ShowPage("TemHumKanbanPage");
            if (page && !page->RealTimeChecked()) window.Press(*page, page->realTimeBox());
            // The room warms slowly and the humidity follows; a short
            // outage shows how a failed read breaks the lines.
            auto* weather = new QTimer(&window);
            const auto start = std::chrono::steady_clock::now();
            QObject::connect(weather, &QTimer::timeout, &window, [&demo, start] {
                const double t = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
                const double temp = 226 + 14 * std::sin(t / 55.0) + (std::rand() % 5 - 2);
                const double hum = 480 - 35 * std::sin(t / 55.0 + 0.6) + (std::rand() % 9 - 4);
                demo.device().SetRegister(1, static_cast<uint16_t>(temp));
                demo.device().SetRegister(0, static_cast<uint16_t>(hum));
                const bool outage = t > 70 && t < 85;
                sim::Fault f;
                if (outage) f.kind = sim::Fault::Kind::Silent;
                demo.device().SetFault(f);
            });
            weather->start(500);
            QTimer::singleShot(static_cast<int>(minutes * 60000), &window, [&] {
                window.grab().save(QString::fromStdString(file));
                window.done(0);
            });
        });
        result = window.exec();
        return result;
    });
    return result;
}
