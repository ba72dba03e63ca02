// The window (offscreen) with "Real Time" on while the device disappears in
// the middle of a read, and a new device comes back behind the same path:
// the window never hangs or asks anything, the receive thread idles while
// the device is gone, "Test Baud Rate" and the page work again without a
// restart, and no descriptor or thread is left behind.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest/QTest>
#include <atomic>
#include <cstdlib>
#include <thread>

#include "app/config_app.h"
#include "app/main_ids.h"
#include "fuzz/process_counts.h"
#include "pages/device_page.h"
#include "qt/control_binder.h"
#include "qt/main_window.h"
#include "qt/qt_host.h"
#include "sim/simulator.h"

namespace veltrano::test {
namespace {

constexpr int kStatusEdit = 1028;  // the water-leak page's one reading
constexpr int kRealTimeBox = 1030;

struct UnplugWindow : ::testing::Test {
    static void SetUpTestSuite() {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        static int argc = 1;
        static char name[] = "test_qt_unplug";
        static char* argv[] = {name, nullptr};
        static QApplication* app = new QApplication(argc, argv);
        (void)app;
    }
    UnplugWindow() : sim(Config()) {
        path = ::testing::TempDir() + "/unplug-window-" + std::to_string(::getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name();
        std::string error;
        EXPECT_TRUE(sim.Start(&error, path)) << error;
        sim.SetTurnaroundMs(30);  // room for the unplug inside the transaction
        // The reply in one piece: a loaded machine stalling the device between
        // two bytes would otherwise split it, which is not what is tried here.
        sim.SetPacing(false);
        app::MainOptions mo;
        mo.leadingPorts.push_back(PortEntry{path, "unplugged sensor"});
        mo.listPorts = [] { return std::vector<PortEntry>{}; };
        application = std::make_unique<app::ConfigApp>(mo);
        host.autoAnswer = true;
        application->main().SetHost(&host);
        application->main().Initialize();
        window = std::make_unique<qt::MainWindow>(application->main());
        host.SetWindow(application->main(), window.get());
        window->show();
    }
    ~UnplugWindow() override {
        host.Forget(application->main());
        window.reset();
        application.reset();
    }
    static sim::Device::Config Config() {
        sim::Device::Config c;
        c.address = 1;
        c.baud = 2400;
        c.dialects = sim::kDialectShort;
        c.profile = sim::FindProfile("waterleak");
        return c;
    }
    QWidget* PageWidget(int id) { return window->FindView(*page)->binder().widget(id); }
    std::string Status() { return qobject_cast<QLineEdit*>(PageWidget(kStatusEdit))->text().toStdString(); }
    void Scan() {
        QTest::mouseClick(qobject_cast<QPushButton*>(window->binder().widget(app::kTestBaudRate)), Qt::LeftButton);
    }
    // A click on the box as the operator makes it (the middle of a wide box
    // may miss its hit area, so not by coordinates).
    void ToggleRealTime() { qobject_cast<QCheckBox*>(PageWidget(kRealTimeBox))->click(); }
    // One tick of the real-time timer, as the window's timer delivers it.
    void Tick() {
        application->main().Timer(app::kPollTimer);
        QApplication::processEvents();
    }

    void Cycles(int cycles) {
        page = application->main().ShowPage("WaterLeakPage");
        ASSERT_NE(page, nullptr);
        QApplication::processEvents();
        Scan();
        ToggleRealTime();
        Tick();
        ASSERT_TRUE(page->RealTimeChecked());
        ASSERT_NE(Status(), "");
        const int fds = OpenDescriptors(), threads = Threads();
        double goneCpu = 0, goneWall = 0;
        int retries = 0;
        for (int i = 0; i < cycles; ++i) {
            SCOPED_TRACE("cycle " + std::to_string(i));
            const int asked = host.messagesShown();
            const size_t heard = sim.requestCount();
            std::thread unplug([&] {
                for (int k = 0; k < 5000 && sim.requestCount() == heard; ++k)
                    std::this_thread::sleep_for(std::chrono::milliseconds(1));
                sim.Unplug();
            });
            const double cpu0 = ProcessCpuSeconds(), wall0 = WallSeconds();
            Tick();  // the read that loses its device
            unplug.join();
            // Gone: the receive thread waits on the dead port rather than polling it.
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            goneCpu += ProcessCpuSeconds() - cpu0;
            goneWall += WallSeconds() - wall0;
            EXPECT_EQ(Status(), "") << "a reading that never arrived is not shown";
            EXPECT_EQ(host.messagesShown(), asked) << "real time asks nothing";

            std::string error;
            ASSERT_TRUE(sim.Replug(&error)) << error;
            ToggleRealTime();  // off, to test again
            Scan();
            EXPECT_TRUE(qobject_cast<QPushButton*>(window->binder().widget(app::kSetAddress))->isEnabled());
            ToggleRealTime();
            // The device is back: the next tick shows its reading. A reply
            // lost to a stalled machine gets two more ticks.
            Tick();
            for (int retry = 0; retry < 2 && Status().empty(); ++retry, ++retries) Tick();
            EXPECT_NE(Status(), "") << "the page reads again";
        }
        RecordProperty("ticks_repeated", retries);
        EXPECT_LT(goneCpu / goneWall, 0.05) << goneCpu << " s of CPU in " << goneWall << " s";
        EXPECT_EQ(OpenDescriptors(), fds);
        EXPECT_EQ(Threads(), threads);
    }

    sim::Simulator sim;
    std::string path;
    qt::QtHost host;
    std::unique_ptr<app::ConfigApp> application;
    std::unique_ptr<qt::MainWindow> window;
    pages::DevicePage* page = nullptr;
};

// 50 cycles in all, in two processes that ctest can run side by side.
TEST_F(UnplugWindow, RealTimeFirst25) { Cycles(25); }
TEST_F(UnplugWindow, RealTimeSecond25) { Cycles(25); }

}  // namespace
}  // namespace veltrano::test
