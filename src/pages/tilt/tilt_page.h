#pragma once
// Two-axis inclinometer: X and Y angles in hundredths of a degree, the
// mounting (horizontal or vertical) and the zero-point calibration command.
// Its real-time refresh is one read of registers 0-1.
#include "pages/table_page.h"

namespace veltrano::pages {

class TiltPage : public TablePage {
public:
    explicit TiltPage(Link& link);
    static const PageTable kTable;
};

}  // namespace veltrano::pages
