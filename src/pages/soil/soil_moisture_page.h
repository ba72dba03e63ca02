#pragma once
// Soil moisture probe: moisture in hundredths, in register 1.
#include "pages/table_page.h"

namespace veltrano::pages {

class SoilMoisturePage : public TablePage {
public:
    explicit SoilMoisturePage(Link& link);
    static const PageTable kTable;
};

}  // namespace veltrano::pages
