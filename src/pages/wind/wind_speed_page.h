#pragma once
// Anemometer: wind speed in tenths of a metre per second.
#include "pages/table_page.h"

namespace veltrano::pages {

class WindSpeedPage : public TablePage {
public:
    explicit WindSpeedPage(Link& link);
    static const PageTable kTable;
};

}  // namespace veltrano::pages
