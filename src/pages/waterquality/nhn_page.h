#pragma once
// Ammonia-nitrogen probe: mg/L and pH in hundredths, temperature in tenths.
#include "pages/table_page.h"

namespace veltrano::pages {

class NhnPage : public TablePage {
public:
    explicit NhnPage(Link& link);
    static const PageTable kTable;
};

}  // namespace veltrano::pages
