#pragma once
// UV sensor, with or without temperature and humidity: intensity, index and
// the two calibration offsets. The "UV" type has no temperature or humidity
// probe, so their rows are blanked, disabled and not polled.
#include "pages/table_page.h"

namespace veltrano::pages {

class UvPage : public TablePage {
public:
    explicit UvPage(Link& link);
    static const PageTable kTable;
};

}  // namespace veltrano::pages
