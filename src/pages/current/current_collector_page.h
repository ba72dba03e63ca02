#pragma once
// Two-channel current monitor (fan and air purifier): condition codes,
// currents, calibrations and thresholds, in hundredths of an ampere.
#include "pages/table_page.h"

namespace veltrano::pages {

class CurrentCollectorPage : public TablePage {
public:
    explicit CurrentCollectorPage(Link& link);
    static const PageTable kTable;
};

}  // namespace veltrano::pages
