#pragma once
// Illuminance sensor, 0-200000 Lux: 32 bits over registers 2-3, and hundreds of Lux in register 6.
#include "pages/table_page.h"

namespace veltrano::pages {

class Illum20WPage : public TablePage {
public:
    explicit Illum20WPage(Link& link);
    static const PageTable kTable;
};

}  // namespace veltrano::pages
