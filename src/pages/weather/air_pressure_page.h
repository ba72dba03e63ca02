#pragma once
// Barometer with a temperature probe, both in tenths.
#include "pages/table_page.h"

namespace veltrano::pages {

class AirPressurePage : public TablePage {
public:
    explicit AirPressurePage(Link& link);
    static const PageTable kTable;
};

}  // namespace veltrano::pages
