#pragma once
// NH3 transmitter in three ranges, with or without temperature and humidity; the 0-50 ppm range counts hundredths.
#include "pages/table_page.h"

namespace veltrano::pages {

class Nh3Page : public TablePage {
public:
    explicit Nh3Page(Link& link);
    static const PageTable kTable;
};

}  // namespace veltrano::pages
