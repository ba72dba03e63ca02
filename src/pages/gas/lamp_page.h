#pragma once
// Fume monitor: fume in hundredths of mg/m3, a calibration offset and a float coefficient.
#include "pages/table_page.h"

namespace veltrano::pages {

class LampPage : public TablePage {
public:
    explicit LampPage(Link& link);
    static const PageTable kTable;
};

}  // namespace veltrano::pages
