#pragma once
// Wind vane: two registers, the first turned into one of eight compass
// directions shown as a name and an arrow.
#include "pages/table_page.h"

namespace veltrano::pages {

class WindDirectionPage : public TablePage {
public:
    explicit WindDirectionPage(Link& link);
    static const PageTable kTable;

    static constexpr int kArrow = 1238;  // picture
    static constexpr int kName = 1240;   // text
    static constexpr const char* kStartText = "Wind Direction";
    static constexpr int kStartIcon = 160;

    struct Direction {
        const char* name;
        int icon;
    };
    // The name and icon for the low 8 bits of register 0.
    static Direction Lookup(unsigned key);

    void RunRealTimeReadSet() override;
    std::vector<RowInfo> Rows() const override;
    void ClearReadValues() override;

private:
    void ShowDirection();
};

}  // namespace veltrano::pages
