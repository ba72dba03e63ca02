#pragma once
// Three-in-one soil probe: moisture and temperature in hundredths, conductivity in us/cm.
#include "pages/table_page.h"

namespace veltrano::pages {

class ThreeInOneSoilPage : public TablePage {
public:
    explicit ThreeInOneSoilPage(Link& link);
    static const PageTable kTable;
};

}  // namespace veltrano::pages
