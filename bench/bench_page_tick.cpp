// One real-time tick of a device page against its simulated device at 9600,
// as the poller runs it once a second. Usage: bench_page_tick PAGE PROFILE [--runs N]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "app/main_dialog.h"
#include "sim/simulator.h"
#include "ui/recording_host.h"

using namespace veltrano;
using Clock = std::chrono::steady_clock;

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: bench_page_tick PAGE PROFILE [--runs N]\n");
        return 64;
    }
    const char* pageName = argv[1];
    int runs = 100;
    for (int i = 3; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--runs") == 0) runs = std::atoi(argv[i + 1]);
    const sim::Profile* profile = sim::FindProfile(argv[2]);
    if (!profile) {
        std::fprintf(stderr, "no profile %s\n", argv[2]);
        return 64;
    }
    sim::Device::Config c;
    c.address = profile->address;
    c.baud = 9600;
    c.dialects = profile->dialects;
    c.profile = profile;
    sim::Simulator sim(c);
    sim.Start();
    Link link;
    app::MainOptions mo;
    mo.leadingPorts.push_back(PortEntry{sim.path(), ""});
    mo.listPorts = [] { return std::vector<PortEntry>{}; };
    app::MainDialog main(link, mo);
    ui::RecordingHost host;
    main.SetHost(&host);
    main.Initialize();
    link.Reopen(sim.path(), 9600);
    link.deviceAddress = profile->address;
    pages::DevicePage* page = main.ShowPage(pageName);
    if (!page) {
        std::fprintf(stderr, "no page %s\n", pageName);
        return 64;
    }
    if (!page->RealTimeChecked()) page->Click(page->realTimeBox());
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        const auto t = Clock::now();
        main.Timer(5);
        ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - t).count());
    }
    std::sort(ms.begin(), ms.end());
    std::printf("%s tick at 9600 (%d runs): median %.1f ms, 95th percentile %.1f ms (timer period 1000 ms)\n", pageName,
                runs, ms[ms.size() / 2], ms[ms.size() * 95 / 100]);
    return 0;
}
