#pragma once
// A device page: one child dialog per device type, with its ModbusHelper,
// its "Real Time" box and the reads the real-time poller runs once a second
// while that box is checked and the page is showing.

#include <optional>
#include <string>
#include <vector>

#include "pages/field_bindings.h"
#include "serial/link.h"
#include "ui/dialog.h"

namespace veltrano::pages {

inline constexpr const char* kOpenPortFirst = "Please open the serial port first!";

class DevicePage : public ui::Dialog {
public:
    DevicePage(Link& link, int templateId, std::string className, int realTimeBox);

    int realTimeBox() const { return realTimeBox_; }
    bool RealTimeChecked() const { return Has(realTimeBox_) && IsChecked(realTimeBox_); }

    // The page's real-time read set, messages off.
    virtual void RunRealTimeReadSet() {}

    // The page's visible rows, in order: what the command line's
    // "page NAME inquire" presses and prints, and "page NAME set" writes.
    struct RowInfo {
        int edit = 0;
        std::string label;
        std::string unit;
        int inquire = 0;  // 0: none
        int setup = 0;    // 0: none
    };
    virtual std::vector<RowInfo> Rows() const { return {}; }
    // Buttons that write without a value box (calibration commands): edit 0.
    virtual std::vector<RowInfo> Commands() const { return {}; }
    // What a control of the page does, for a tooltip ("register 48, signed,
    // x0.1"); "" for controls with nothing to say.
    virtual std::string Describe(int /*controlId*/) const { return ""; }
    // Empties every box a read filled (what the operator typed or chose
    // since stays): the port now reaches another device, or the same one
    // after a gap.
    virtual void ClearReadValues() {}

    Link& link() { return link_; }

    // How the page's "Real Time" box behaves when clicked.
    struct RealTimeRule {
        // Shown, with the box unchecked again, when the port is closed;
        // nullopt: the port is not tested.
        std::optional<std::string> refusal = std::string(kOpenPortFirst);
        bool stopsAfterRefusal = false;  // a refused click changes nothing else
        bool locks = true;               // false: the box only toggles
    };

protected:
    // With the port closed, uncheck and show the refusal (and stop, if the
    // rule says so); then lock the governed controls while the box is checked.
    void BindRealTime(RealTimeRule rule, std::vector<int> governed);
    virtual void OnRealTimeClicked();
    // The controls the box locks and unlocks at this moment.
    virtual std::vector<int> GovernedNow() const { return governed_; }

    Link& link_;
    ModbusHelper helper_;
    int realTimeBox_;
    RealTimeRule rule_;
    std::vector<int> governed_;
};

}  // namespace veltrano::pages
