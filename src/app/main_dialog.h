#pragma once
// The main window (template 102): the connection panel across the top and
// the 14 category tabs below it. Building it builds every category window
// and every device page; it owns the receive thread of the link.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/baud_scan.h"
#include "app/categories.h"
#include "app/connection_panel.h"
#include "app/link_watch.h"
#include "app/real_time_poller.h"
#include "serial/port_list.h"
#include "ui/dialog.h"

namespace veltrano::app {

struct MainOptions {
    // Listed before the system's ports (the demo's simulated device).
    std::vector<PortEntry> leadingPorts;
    // Given on the command line; listed after the system's ports.
    std::vector<PortEntry> extraPorts;
    std::function<std::vector<PortEntry>()> listPorts = [] { return ListSerialPorts(); };
};

class MainDialog : public ui::Dialog {
public:
    explicit MainDialog(Link& link, MainOptions options = {});
    ~MainDialog() override;

    size_t categoryCount() const { return categories_.size(); }
    ui::Dialog& category(size_t index) { return *categories_.at(index); }
    // The container of a category; nullptr for a single-page category.
    CategoryContainer* container(size_t index);
    // The page of the selected category and sub-tab.
    pages::DevicePage* VisiblePage();
    // Shows the category and sub-tab of a page, as clicks on the tabs would.
    pages::DevicePage* ShowPage(const std::string& className);

    ConnectionState& connection() { return state_; }
    ConnectionPanel& panel() { return panel_; }
    BaudRateTest& scan() { return scan_; }
    RealTimePoller& poller() { return poller_; }
    LinkWatch& watch() { return watch_; }
    Link& link() { return link_; }

    const std::vector<PortEntry>& ports() const { return ports_; }
    std::string SelectedPortPath() const;
    // Fills the list again, keeping the selected port when it still exists.
    void RefillPortList();

    const std::string& aboutMenuText() const { return aboutMenuText_; }
    void SysCommand(int command);

    // "Test Baud Rate" as the button runs it: the port is the scan's now.
    BaudRateTest::Outcome RunScan();
    // Every page forgets the values it read: the port now reaches a device
    // that may not be the one they came from.
    void ClearReadValues();

    // Pixels per dialog unit of the template's font (both directions).
    static int DluX(int dlu) { return dlu * 3 / 2; }
    static int DluY(int dlu) { return dlu * 3 / 2; }

protected:
    void OnInitDialog() override;
    void OnTimer(int timerId) override;

private:
    void FillPortList();
    void OnCategoryChange();

    Link& link_;
    MainOptions options_;
    std::vector<std::unique_ptr<ui::Dialog>> categories_;  // in tab order
    std::vector<CategoryContainer*> containers_;           // nullptr for single pages
    ConnectionState state_;
    ConnectionPanel panel_;
    BaudRateTest scan_;
    RealTimePoller poller_;
    LinkWatch watch_;
    std::vector<PortEntry> ports_;
    std::string aboutMenuText_;
};

}  // namespace veltrano::app
