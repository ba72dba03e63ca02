#pragma once
// Soil pH probe, in tenths.
#include "pages/table_page.h"

namespace veltrano::pages {

class SoilPhPage : public TablePage {
public:
    explicit SoilPhPage(Link& link);
    static const PageTable kTable;
};

}  // namespace veltrano::pages
