#pragma once
// Turbidity probe: NTU and temperature in tenths, and its zero and range
// calibrations.
#include "pages/table_page.h"

namespace veltrano::pages {

class TurbidityPage : public TablePage {
public:
    explicit TurbidityPage(Link& link);
    static const PageTable kTable;
};

}  // namespace veltrano::pages
