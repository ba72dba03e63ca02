#pragma once
// Soil temperature and moisture probe, both in tenths.
#include "pages/table_page.h"

namespace veltrano::pages {

class SoilTempMoisturePage : public TablePage {
public:
    explicit SoilTempMoisturePage(Link& link);
    static const PageTable kTable;
};

}  // namespace veltrano::pages
