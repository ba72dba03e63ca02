#pragma once
// Kitchen-fume monitor: fume, particulate and non-methane hydrocarbon
// concentrations, six calibration coefficients as singles, and the firmware
// version.
#include "pages/table_page.h"

namespace veltrano::pages {

class LampblackPage : public TablePage {
public:
    explicit LampblackPage(Link& link);
    static const PageTable kTable;
};

}  // namespace veltrano::pages
