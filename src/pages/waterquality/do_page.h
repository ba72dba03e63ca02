#pragma once
// Dissolved-oxygen probe: saturation, mg/L and temperature as singles, and
// its zero and range calibrations.
#include "pages/table_page.h"

namespace veltrano::pages {

class DoPage : public TablePage {
public:
    explicit DoPage(Link& link);
    static const PageTable kTable;
};

}  // namespace veltrano::pages
