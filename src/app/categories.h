#pragma once
// The 14 device categories of the main window's tab control, and the
// category containers that hold one device page per sub-tab.
#include <memory>
#include <span>
#include <vector>

#include "pages/device_page.h"
#include "ui/dialog.h"

namespace veltrano::app {

struct SubTab {
    const char* label;
    int pageTemplate;
};

struct CategoryInfo {
    const char* label;                // tab text, inserted as it stands ("&&" included)
    int templateId;                   // the category window's dialog template
    std::span<const SubTab> subTabs;  // empty: the category window is a single page
    int subTabControl = 1008;
    bool keepsSubTabPlace = false;  // the sub-tab control stays where the template puts it
};

std::span<const CategoryInfo> AllCategories();

// A category window with its own sub-tab control and one page per sub-tab.
class CategoryContainer : public ui::Dialog {
public:
    CategoryContainer(Link& link, const CategoryInfo& info);

    const CategoryInfo& info() const { return info_; }
    int subTabControl() const { return info_.subTabControl; }
    size_t pageCount() const { return pages_.size(); }
    pages::DevicePage& page(size_t index) { return *pages_.at(index); }
    // The page of the selected sub-tab; nullptr when nothing is selected.
    pages::DevicePage* selectedPage();

    // The template rectangle of the sub-tab control (pixels).
    static constexpr ui::Rect kSubTabTemplateRect{7, 7, 660, 360};

protected:
    void OnInitDialog() override;

private:
    void OnSubTabChange();
    void FillSensorTypeLists();

    const CategoryInfo& info_;
    std::vector<std::unique_ptr<pages::DevicePage>> pages_;
};

}  // namespace veltrano::app
