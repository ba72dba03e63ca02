#pragma once
// CO2 transmitter with temperature and humidity: readings, alarm limits and calibrations; the template's hidden relay
// rows are built too.
#include "pages/table_page.h"

namespace veltrano::pages {

class Co2Page : public TablePage {
public:
    explicit Co2Page(Link& link);
    static const PageTable kTable;
};

}  // namespace veltrano::pages
