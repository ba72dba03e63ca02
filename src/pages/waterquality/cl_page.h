#pragma once
// Residual chlorine probe: mg/L in hundredths.
#include "pages/table_page.h"

namespace veltrano::pages {

class ClPage : public TablePage {
public:
    explicit ClPage(Link& link);
    static const PageTable kTable;
};

}  // namespace veltrano::pages
