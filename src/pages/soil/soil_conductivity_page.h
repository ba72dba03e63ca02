#pragma once
// Soil conductivity probe: readings, the coefficients behind salinity and TDS, and calibration offsets.
#include "pages/table_page.h"

namespace veltrano::pages {

class SoilConductivityPage : public TablePage {
public:
    explicit SoilConductivityPage(Link& link);
    static const PageTable kTable;
};

}  // namespace veltrano::pages
