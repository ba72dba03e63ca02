// The device disappears in the middle of `page NAME inquire` (the far side
// of its pseudo-terminal closes while the request waits for its reply), the
// command is tried while it is gone, and a new device comes back behind the
// same path: the command line never hangs, spends next to no CPU on the dead
// port, scans and reads again at once, and leaves no descriptor or thread.
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <thread>

#include "cli/commands.h"
#include "fuzz/process_counts.h"
#include "sim/simulator.h"
#include "support/capture.h"

namespace veltrano::test {

// A wait that spins takes a whole core. Under the sanitizers every command-line process
// spends its own start-up on instrumentation, which is not the wait's.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr double kGoneCpuShare = 0.20;
#else
constexpr double kGoneCpuShare = 0.05;
#endif
namespace {

struct UnplugCli : ::testing::Test {
    UnplugCli() : sim(Config()) {
        path = ::testing::TempDir() + "/unplug-cli-" + std::to_string(::getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name();
        std::string error;
        EXPECT_TRUE(sim.Start(&error, path)) << error;
        // The reply starts 30 ms after the request: time for the unplug to
        // land inside the transaction.
        sim.SetTurnaroundMs(30);
        // The reply in one piece: a loaded machine stalling the device between
        // two bytes would otherwise split it, which is not what is tried here.
        sim.SetPacing(false);
    }
    static sim::Device::Config Config() {
        sim::Device::Config c;
        c.address = 1;
        c.baud = 2400;  // found by the scan's first pass
        c.dialects = sim::kDialectShort;
        c.profile = sim::FindProfile("waterleak");
        return c;
    }
    Captured Cli(std::vector<std::string> command) {
        std::vector<std::string> args = {"--port", path, "--baud", "2400", "--address", "1"};
        args.insert(args.end(), command.begin(), command.end());
        return Capture([&](FILE* o, FILE* e) { return cli::Run(args, o, e); });
    }
    void Cycles(int cycles) {
        ASSERT_EQ(Cli({"page", "WaterLeakPage", "inquire"}).code, 0);  // warm up
        const int fds = OpenDescriptors(), threads = Threads();
        double goneCpu = 0, goneWall = 0;
        int retries = 0;
        for (int i = 0; i < cycles; ++i) {
            SCOPED_TRACE("cycle " + std::to_string(i));
            const size_t heard = sim.requestCount();
            std::thread unplug([&] {
                for (int k = 0; k < 5000 && sim.requestCount() == heard; ++k)
                    std::this_thread::sleep_for(std::chrono::milliseconds(1));
                sim.Unplug();
            });
            const double cpu0 = ProcessCpuSeconds(), wall0 = WallSeconds();
            const Captured mid = Cli({"page", "WaterLeakPage", "inquire"});
            unplug.join();
            // While it is gone: the path has no device behind it.
            const Captured gone = Cli({"page", "WaterLeakPage", "inquire"});
            goneCpu += ProcessCpuSeconds() - cpu0;
            goneWall += WallSeconds() - wall0;
            EXPECT_EQ(mid.out, "Status\t\t\n") << mid.err;  // nothing shown that did not arrive
            EXPECT_NE(mid.code, 0);
            EXPECT_EQ(gone.code, 1) << gone.err;
            EXPECT_NE(gone.err.find("Serial port open failed!"), std::string::npos) << gone.err;

            std::string error;
            ASSERT_TRUE(sim.Replug(&error)) << error;
            // Back: a scan finds it and the page reads it. A reply lost to a
            // stalled machine gets two more tries.
            Captured scan = Cli({"scan"});
            for (int retry = 0; retry < 2 && scan.code != 0; ++retry, ++retries) scan = Cli({"scan"});
            EXPECT_EQ(scan.code, 0) << scan.err;
            Captured again = Cli({"page", "WaterLeakPage", "inquire"});
            for (int retry = 0; retry < 2 && again.code != 0; ++retry, ++retries)
                again = Cli({"page", "WaterLeakPage", "inquire"});
            EXPECT_EQ(again.code, 0) << again.err;
            // The leak alarm of the demo device trips now and then.
            EXPECT_TRUE(again.out == "Status\tNormal\t\n" || again.out == "Status\tWarning\t\n") << again.out;
        }
        RecordProperty("commands_repeated", retries);
        EXPECT_LT(goneCpu / goneWall, kGoneCpuShare) << goneCpu << " s of CPU in " << goneWall << " s";
        EXPECT_EQ(OpenDescriptors(), fds);
        EXPECT_EQ(Threads(), threads);
    }

    sim::Simulator sim;
    std::string path;
};

// 50 cycles in all, in two processes that ctest can run side by side.
TEST_F(UnplugCli, PageInquireFirst25) { Cycles(25); }
TEST_F(UnplugCli, PageInquireSecond25) { Cycles(25); }

}  // namespace
}  // namespace veltrano::test
