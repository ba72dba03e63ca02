#pragma once
// O3 transmitter in two ranges, with or without temperature and humidity; the 0-10 ppm range counts hundredths, 0-100
// ppm tenths.
#include "pages/table_page.h"

namespace veltrano::pages {

class O3Page : public TablePage {
public:
    explicit O3Page(Link& link);
    static const PageTable kTable;
};

}  // namespace veltrano::pages
