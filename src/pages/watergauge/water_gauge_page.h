#pragma once
// Water-level gauge with two limit relays: water state, depth and
// temperature, running mode, datum, draft, tilt, limits, backlash and the
// relays' associations. Its real-time refresh is one read of registers 0-2.
#include "pages/table_page.h"

namespace veltrano::pages {

class WaterGaugePage : public TablePage {
public:
    explicit WaterGaugePage(Link& link);
    static const PageTable kTable;
};

}  // namespace veltrano::pages
