#pragma once
// Water leak detector: reports 1 when dry, 2 on a leak.
#include "pages/table_page.h"

namespace veltrano::pages {

class WaterLeakPage : public TablePage {
public:
    explicit WaterLeakPage(Link& link);
    static const PageTable kTable;
};

}  // namespace veltrano::pages
