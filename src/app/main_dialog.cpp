#include "app/main_dialog.h"

#include "app/about_dialog.h"
#include "app/main_ids.h"
#include "pages/page_registry.h"

namespace veltrano::app {
namespace {

ui::Rect Dlu(int x, int y, int w, int h) {
    return ui::Rect{MainDialog::DluX(x), MainDialog::DluY(y), MainDialog::DluX(x + w), MainDialog::DluY(y + h)};
}

}  // namespace

MainDialog::MainDialog(Link& link, MainOptions options)
    : ui::Dialog(kMainTemplate, "MainDialog", kAppTitle),
      link_(link),
      options_(std::move(options)),
      panel_(*this, link, state_, [this] { return SelectedPortPath(); }),
      scan_(*this, link, state_, panel_, [this] { return SelectedPortPath(); }),
      poller_(*this),
      watch_(link) {
    MoveWindow(Dlu(0, 0, 473, 355));
    // The connection panel, in the band 7 to 71 units from the top.
    AddControl(kSerialGroup, ui::Kind::GroupBox, "Serial Number").rect = Dlu(7, 7, 150, 64);
    AddControl(kPortList, ui::Kind::ComboBox).group = kSerialGroup;
    AddControl(kTestBaudRate, ui::Kind::Button, "Test Baud Rate").group = kSerialGroup;
    AddControl(kDeviceGroup, ui::Kind::GroupBox, "Device").rect = Dlu(163, 7, 148, 64);
    AddControl(kAddressEdit, ui::Kind::Edit).group = kDeviceGroup;
    AddControl(kInquireAddress, ui::Kind::Button, "Inquire").group = kDeviceGroup;
    AddControl(kSetAddress, ui::Kind::Button, "Set up").group = kDeviceGroup;
    AddControl(kBaudGroup, ui::Kind::GroupBox, "Set Baud Rate").rect = Dlu(317, 7, 149, 64);
    AddControl(kBaudEdit, ui::Kind::Edit).group = kBaudGroup;
    AddControl(kInquireBaud, ui::Kind::Button, "Inquire").group = kBaudGroup;
    AddControl(kSetBaud, ui::Kind::Button, "Set up").group = kBaudGroup;
    AddControl(kCategoryTabs, ui::Kind::Tab).rect = Dlu(7, 77, 459, 271);

    // Every category window and every page is built with the main window.
    for (const CategoryInfo& info : AllCategories()) {
        if (info.subTabs.empty()) {
            categories_.push_back(pages::MakePage(info.templateId, link_));
            containers_.push_back(nullptr);
        } else {
            auto c = std::make_unique<CategoryContainer>(link_, info);
            containers_.push_back(c.get());
            categories_.push_back(std::move(c));
        }
    }

    OnCommand(kTestBaudRate, [this] { RunScan(); });
    OnCommand(kInquireAddress, [this] { panel_.Inquire(); });
    OnCommand(kInquireBaud, [this] { panel_.Inquire(); });
    OnCommand(kSetAddress, [this] { panel_.SetAddress(); });
    OnCommand(kSetBaud, [this] { panel_.SetBaud(); });
    OnSelChange(kCategoryTabs, [this] { OnCategoryChange(); });
    OnDropDown(kPortList, [this] { RefillPortList(); });
}

MainDialog::~MainDialog() {
    // The receive thread ends before the port it reads can go away.
    link_.StopReceiving();
}

CategoryContainer* MainDialog::container(size_t index) { return containers_.at(index); }

void MainDialog::OnInitDialog() {
    // 2. The About entry (a menu of the window on this platform).
    aboutMenuText_ = kAboutMenuText;
    // 4. The 14 tabs, text only.
    const auto infos = AllCategories();
    for (size_t i = 0; i < infos.size(); ++i) InsertTab(kCategoryTabs, static_cast<int>(i), infos[i].label);
    // 5. Category windows are children of the tab control, not of the window.
    for (auto& c : categories_) {
        AdoptChild(*c, kCategoryTabs);
        // 6. Each fills the tab control's client area less 8, 20, 8, 8.
        const ui::Rect r = ControlClientRect(kCategoryTabs);
        c->MoveWindow(ui::Rect{r.left + 8, r.top + 20, r.right - 8, r.bottom - 8});
        c->Initialize();
    }
    // 7. Category 0 showing.
    for (size_t i = 0; i < categories_.size(); ++i) categories_[i]->Show(i == 0);
    SetTabSel(kCategoryTabs, 0);
    // 8. Ports, the first one preselected.
    FillPortList();
    if (GetCount(kPortList) > 0) SetCurSel(kPortList, 0);
    // 9. No route found yet.
    state_.broadcastRoute = false;
    state_.zeroAddressRoute = false;
    // 10, 11. Clear the receive state, then start the receive thread on it.
    link_.StartReceiving();
    // 12. The panel's buttons wait for a successful test.
    panel_.EnableButtons(false);
    // 13. Timers.
    SetTimer(kInquiryTimer, kInquiryTimerMs);
    SetTimer(kPollTimer, kPollTimerMs);
}

void MainDialog::OnTimer(int timerId) {
    if (timerId == kInquiryTimer) {
        state_.inquiryGuard = false;
    } else if (timerId == kPollTimer) {
        // A device that went away is looked for again before the tick reads.
        if (watch_.Check() == LinkWatch::Event::Back) ClearReadValues();
        poller_.Tick();
        // An empty list cannot be opened; look again for an adapter plugged in since.
        if (ports_.empty()) RefillPortList();
    }
}

void MainDialog::FillPortList() {
    ResetContent(kPortList);
    ports_.clear();
    auto add = [this](const PortEntry& p) {
        for (const PortEntry& q : ports_)
            if (q.path == p.path) return;
        ports_.push_back(p);
        AddString(kPortList, p.Label());
    };
    for (const PortEntry& p : options_.leadingPorts) add(p);
    for (const PortEntry& p : options_.listPorts()) add(p);
    for (const PortEntry& p : options_.extraPorts) add(p);
    if (ports_.empty()) {
        Enable(kPortList, false);
    } else {
        Enable(kPortList, true);
        SetCurSel(kPortList, static_cast<int>(ports_.size()) - 1);
    }
}

void MainDialog::RefillPortList() {
    const std::string selected = SelectedPortPath();
    FillPortList();
    int keep = 0;
    for (size_t i = 0; i < ports_.size(); ++i)
        if (ports_[i].path == selected) keep = static_cast<int>(i);
    if (!ports_.empty()) SetCurSel(kPortList, keep);
}

std::string MainDialog::SelectedPortPath() const {
    const int sel = GetCurSel(kPortList);
    if (sel < 0 || sel >= static_cast<int>(ports_.size())) return "";
    return ports_[static_cast<size_t>(sel)].path;
}

void MainDialog::OnCategoryChange() {
    const int sel = GetTabSel(kCategoryTabs);
    for (size_t i = 0; i < categories_.size(); ++i) categories_[i]->Show(static_cast<int>(i) == sel);
}

pages::DevicePage* MainDialog::VisiblePage() {
    const int sel = GetTabSel(kCategoryTabs);
    if (sel < 0 || sel >= static_cast<int>(categories_.size())) return nullptr;
    if (CategoryContainer* c = containers_[static_cast<size_t>(sel)]) return c->selectedPage();
    return static_cast<pages::DevicePage*>(categories_[static_cast<size_t>(sel)].get());
}

pages::DevicePage* MainDialog::ShowPage(const std::string& className) {
    for (size_t i = 0; i < categories_.size(); ++i) {
        if (CategoryContainer* c = containers_[i]) {
            for (size_t j = 0; j < c->pageCount(); ++j) {
                if (c->page(j).className() != className) continue;
                SelectTab(kCategoryTabs, static_cast<int>(i));
                c->SelectTab(c->subTabControl(), static_cast<int>(j));
                return &c->page(j);
            }
        } else if (categories_[i]->className() == className) {
            SelectTab(kCategoryTabs, static_cast<int>(i));
            return static_cast<pages::DevicePage*>(categories_[i].get());
        }
    }
    return nullptr;
}

BaudRateTest::Outcome MainDialog::RunScan() {
    watch_.Forget();
    const BaudRateTest::Outcome outcome = scan_.Run();
    if (outcome != BaudRateTest::Outcome::NothingFound && outcome != BaudRateTest::Outcome::PortFailed)
        ClearReadValues();
    return outcome;
}

void MainDialog::ClearReadValues() {
    for (size_t i = 0; i < categories_.size(); ++i) {
        if (CategoryContainer* c = containers_[i]) {
            for (size_t j = 0; j < c->pageCount(); ++j) c->page(j).ClearReadValues();
        } else {
            static_cast<pages::DevicePage*>(categories_[i].get())->ClearReadValues();
        }
    }
}

void MainDialog::SysCommand(int command) {
    if ((command & 0xFFF0) != kAboutCommand) return;
    AboutDialog about;
    if (ui::Host* h = host()) h->RunModal(*this, about);
}

}  // namespace veltrano::app
