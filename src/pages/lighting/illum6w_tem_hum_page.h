#pragma once
// Illuminance 0-65535 Lux with temperature and humidity.
#include "pages/table_page.h"

namespace veltrano::pages {

class Illum6WTemHumPage : public TablePage {
public:
    explicit Illum6WTemHumPage(Link& link);
    static const PageTable kTable;
};

}  // namespace veltrano::pages
