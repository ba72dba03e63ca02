#include "pages/wind/wind_direction_page.h"

namespace veltrano::pages {
namespace {

constexpr int kInquire = 1242;
constexpr int kRegister0 = 1243;

constexpr Row kRows[] = {
    {.edit = kRegister0, .label = "Register 0：", .reg = 0, .read = kUnsigned, .inquire = kInquire, .readOnly = true,
     .poll = 1},
    {.edit = 1056, .label = "Register 1：", .reg = 1, .read = kUnsigned, .inquire = kInquire, .readOnly = true,
     .poll = 1},
};

constexpr WindDirectionPage::Direction kDirections[] = {
    {"North Wind", 160},     {"Northeasterly Wind", 166}, {"East Wind", 164},     {"Southeast Wind", 165},
    {"Southerly Wind", 159}, {"Southwest Wind", 162},     {"Westerly Wind", 161}, {"Northwest Wind", 163},
};

}  // namespace

const PageTable WindDirectionPage::kTable = {
    .templateId = 156,
    .className = "WindDirectionPage",
    .rows = kRows,
    .realTimeBox = 1244,
};

WindDirectionPage::Direction WindDirectionPage::Lookup(unsigned key) {
    key &= 0xFF;
    if (key < std::size(kDirections)) return kDirections[key];
    return {"Illegal", kStartIcon};
}

WindDirectionPage::WindDirectionPage(Link& link) : TablePage(link, kTable) {
    // The container puts the start icon in the picture once it is built.
    AddControl(kArrow, ui::Kind::Picture);
    AddControl(kName, ui::Kind::Static, kStartText);
    ui::LayoutItem item;
    item.cells[0] = kArrow;
    item.cells[1] = kName;
    layout().push_back(item);
    OnCommand(kInquire, [this] {
        InquireButton(kInquire);
        ShowDirection();
    });
}

void WindDirectionPage::RunRealTimeReadSet() {
    TablePage::RunRealTimeReadSet();
    ShowDirection();
}

void WindDirectionPage::ShowDirection() {
    // A failed read leaves the box empty; read back as 0 it would name a
    // north wind that was never measured, so the direction goes back to
    // unknown instead.
    if (GetItemText(kRegister0).empty()) {
        SetIcon(kArrow, kStartIcon);
        SetItemText(kName, kStartText);
        return;
    }
    const Direction d = Lookup(GetItemUInt(kRegister0));
    SetIcon(kArrow, d.icon);
    SetItemText(kName, d.name);
}

void WindDirectionPage::ClearReadValues() {
    TablePage::ClearReadValues();
    ShowDirection();  // an empty box names no direction
}

std::vector<DevicePage::RowInfo> WindDirectionPage::Rows() const {
    std::vector<RowInfo> rows = TablePage::Rows();
    rows.push_back(RowInfo{kName, kStartText, "", 0, 0});
    return rows;
}

}  // namespace veltrano::pages
