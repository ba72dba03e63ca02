#pragma once
// Conductivity probe: EC in the unit of the resolution chosen in "Resolution
// Ratio", temperature, the temperature-compensation coefficient (a single)
// and the EC calibration with a typed standard value.
#include "pages/table_page.h"

namespace veltrano::pages {

class EcPage : public TablePage {
public:
    explicit EcPage(Link& link);
    static const PageTable kTable;
};

}  // namespace veltrano::pages
