#include "app/categories.h"

#include <string>

#include "pages/page_registry.h"
#include "pages/table_page.h"

namespace veltrano::app {
namespace {

constexpr SubTab kTemHum[] = {{"Temperature", 131}, {"Tem&&Humidity", 132}, {"Tem&&Hum Kanban", 189}, {"DewTem", 205}};
constexpr SubTab kAlarm[] = {{"Water Leak", 137}, {"Smoke", 134}, {"Infrared", 136}};
constexpr SubTab kLighting[] = {{"6W Illumination", 141},
                                {"20W Illumination", 142},
                                {"6W Illumination&&Tem&&Hum", 139},
                                {"20W Illumination&&Tem&&Hum", 140}};
// The gas labels' blanks belong to them.
constexpr SubTab kGas[] = {{"Lamp", 144},  {" CO2 ", 145},  {" CO ", 146},  {" TVOC ", 147}, {" SO2 ", 148},
                           {" NO2 ", 149}, {"  O2  ", 150}, {" H2S ", 151}, {" NH3 ", 152},  {" O3 ", 154},
                           {"Tarn", 195},  {" HCHO ", 201}, {" CH4 ", 202}, {" SF6 ", 211}};
constexpr SubTab kWind[] = {{"Wind Direction", 156}, {"Wind Speed", 157}};
constexpr SubTab kSoil[] = {{"Three in one soil", 169},
                            {"Soil temperature moisture content", 170},
                            {"Soil moisture content", 172},
                            {"Soil conductivity", 187},
                            {"Soil PH", 188},
                            {"Soil tension", 199}};
constexpr SubTab kWeather[] = {{"Noise", 171},
                               {"Air pressure", 173},
                               {"Rain gauge", 174},
                               {"Type C Weather/CO2 blinds", 182},
                               {"RA", 176},
                               {"UV", 177},
                               {"Type C Weather/PM blinds", 178},
                               {"Rain&&Snow", 179},
                               {"PM", 180},
                               {"Dust tester", 190},
                               {"EVA", 196}};
constexpr SubTab kCurrent[] = {{"Current Collector", 184}};
constexpr SubTab kLampblack[] = {{"485 Lampblack", 186}};
constexpr SubTab kWaterQuality[] = {{"DO", 207}, {"Turbidity", 210}, {"CL", 208}, {"NHN", 209}};

const CategoryInfo kCategories[] = {
    {"Temperature&&humidity", 129, kTemHum},
    {"Water leak|Smoke|Infrared", 130, kAlarm},
    {"Lighting", 138, kLighting},
    {"Gas", 143, kGas},
    {"Wind Speed|Direction", 155, kWind},
    {"Soil", 167, kSoil},
    {"Weather Sensor", 168, kWeather},
    {"CurrentVoltage", 183, kCurrent, 1008, true},
    {"Lampblack", 185, kLampblack, 1346},
    {"WaterGauge", 193, {}},
    {"Tilt sensor", 197, {}},
    {"PH", 200, {}},
    {"EC", 203, {}},
    {"WaterQuality", 206, kWaterQuality},
};

constexpr int kWindDirectionPage = 156;
constexpr int kWindArrowPicture = 1238;
constexpr int kWindArrowIcon = 160;

}  // namespace

std::span<const CategoryInfo> AllCategories() { return kCategories; }

CategoryContainer::CategoryContainer(Link& link, const CategoryInfo& info)
    : ui::Dialog(info.templateId, "CategoryContainer"), info_(info) {
    ui::Control& tabs = AddControl(info_.subTabControl, ui::Kind::Tab);
    tabs.rect = kSubTabTemplateRect;
    ui::LayoutItem item;
    item.type = ui::LayoutItem::Type::Wide;
    item.cells[0] = info_.subTabControl;
    layout().push_back(item);
    // Pages are members of their container, built with it.
    for (const SubTab& sub : info_.subTabs) pages_.push_back(pages::MakePage(sub.pageTemplate, link));
    OnSelChange(info_.subTabControl, [this] { OnSubTabChange(); });
}

pages::DevicePage* CategoryContainer::selectedPage() {
    const int sel = GetTabSel(info_.subTabControl);
    if (sel < 0 || sel >= static_cast<int>(pages_.size())) return nullptr;
    return pages_[static_cast<size_t>(sel)].get();
}

void CategoryContainer::OnInitDialog() {
    const int tabs = info_.subTabControl;
    // 1. Widen the sub-tab control over the client area.
    if (!info_.keepsSubTabPlace) {
        const ui::Rect c = clientRect();
        const int left = c.left - 2, top = c.top + 10;
        MoveControl(tabs, ui::Rect{left, top, left + c.width() + 42, top + c.height() - 29});
    }
    // 2. Labels, in order.
    for (size_t i = 0; i < info_.subTabs.size(); ++i) InsertTab(tabs, static_cast<int>(i), info_.subTabs[i].label);
    // 3. Pages become children of the sub-tab control.
    for (auto& page : pages_) {
        AdoptChild(*page, tabs);
        page->Initialize();
    }
    // 4. Each page fills the sub-tab control's client area less 8, 20, 8, 8.
    const ui::Rect tc = ControlClientRect(tabs);
    for (auto& page : pages_) page->MoveWindow(ui::Rect{tc.left + 8, tc.top + 20, tc.right - 8, tc.bottom - 8});
    // 5. Page 0 showing.
    for (size_t i = 0; i < pages_.size(); ++i) pages_[i]->Show(i == 0);
    SetTabSel(tabs, 0);
    // 6. Container extras.
    FillSensorTypeLists();
    for (size_t i = 0; i < pages_.size(); ++i)
        if (info_.subTabs[i].pageTemplate == kWindDirectionPage && pages_[i]->Has(kWindArrowPicture))
            pages_[i]->SetIcon(kWindArrowPicture, kWindArrowIcon);
}

void CategoryContainer::FillSensorTypeLists() {
    for (auto& page : pages_) {
        const auto* table = dynamic_cast<const pages::TablePage*>(page.get());
        const pages::TypeList* list = table ? table->table().typeList : nullptr;
        if (!list || list->entries.empty()) continue;
        for (const char* item : list->entries) page->AddString(list->id, item);
        page->SetCurSel(list->id, list->selected);  // without a selection-change notification
    }
}

void CategoryContainer::OnSubTabChange() {
    const int sel = GetTabSel(info_.subTabControl);
    for (size_t i = 0; i < pages_.size(); ++i) pages_[i]->Show(static_cast<int>(i) == sel);
}

}  // namespace veltrano::app
