#pragma once
// H2S transmitter, with or without temperature and humidity: readings, alarm limits and calibrations, H2S in whole ppm.
#include "pages/table_page.h"

namespace veltrano::pages {

class H2sPage : public TablePage {
public:
    explicit H2sPage(Link& link);
    static const PageTable kTable;
};

}  // namespace veltrano::pages
