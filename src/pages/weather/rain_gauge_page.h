#pragma once
// Tipping rain gauge: the rainfall total in tenths of a mm.
#include "pages/table_page.h"

namespace veltrano::pages {

class RainGaugePage : public TablePage {
public:
    explicit RainGaugePage(Link& link);
    static const PageTable kTable;
};

}  // namespace veltrano::pages
