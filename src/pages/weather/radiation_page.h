#pragma once
// Pyranometer: solar radiation in W/m2 and the deviation the device adds to it.
#include "pages/table_page.h"

namespace veltrano::pages {

class RadiationPage : public TablePage {
public:
    explicit RadiationPage(Link& link);
    static const PageTable kTable;
};

}  // namespace veltrano::pages
