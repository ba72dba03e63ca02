#pragma once
// Illuminance 0-200000 Lux with temperature and humidity. Its "Real Time" box does not test the port.
#include "pages/table_page.h"

namespace veltrano::pages {

class Illum20WTemHumPage : public TablePage {
public:
    explicit Illum20WTemHumPage(Link& link);
    static const PageTable kTable;
};

}  // namespace veltrano::pages
