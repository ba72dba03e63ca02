#pragma once
// Dust tester: TSP, PM2.5 and PM10, and the two calibration coefficients of
// each, IEEE-754 singles over two registers.
#include "pages/table_page.h"

namespace veltrano::pages {

class DustTesterPage : public TablePage {
public:
    explicit DustTesterPage(Link& link);
    static const PageTable kTable;

    void RunRealTimeReadSet() override;
};

}  // namespace veltrano::pages
