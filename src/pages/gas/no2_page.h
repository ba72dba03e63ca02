#pragma once
// NO2 transmitter, with or without temperature and humidity; NO2 shown in ppm and again in mg/m3.
#include "pages/table_page.h"

namespace veltrano::pages {

class No2Page : public TablePage {
public:
    explicit No2Page(Link& link);
    static const PageTable kTable;
};

}  // namespace veltrano::pages
