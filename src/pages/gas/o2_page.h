#pragma once
// O2 transmitter, with or without temperature and humidity: readings, alarm limits and calibrations, O2 in tenths of
// %vol.
#include "pages/table_page.h"

namespace veltrano::pages {

class O2Page : public TablePage {
public:
    explicit O2Page(Link& link);
    static const PageTable kTable;
};

}  // namespace veltrano::pages
