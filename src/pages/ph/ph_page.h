#pragma once
// pH probe: pH in hundredths and temperature in tenths, and its two-point
// calibration (point number and pH x100 written together at 288-289). Its
// real-time refresh is one read of registers 0-1.
#include "pages/table_page.h"

namespace veltrano::pages {

class PhPage : public TablePage {
public:
    explicit PhPage(Link& link);
    static const PageTable kTable;
};

}  // namespace veltrano::pages
