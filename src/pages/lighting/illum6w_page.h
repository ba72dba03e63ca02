#pragma once
// Illuminance sensor, 0-65535 Lux in one register.
#include "pages/table_page.h"

namespace veltrano::pages {

class Illum6WPage : public TablePage {
public:
    explicit Illum6WPage(Link& link);
    static const PageTable kTable;
};

}  // namespace veltrano::pages
