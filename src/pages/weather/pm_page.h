#pragma once
// Particulate meter: PM2.5 and PM10 in ug/m3.
#include "pages/table_page.h"

namespace veltrano::pages {

class PmPage : public TablePage {
public:
    explicit PmPage(Link& link);
    static const PageTable kTable;
};

}  // namespace veltrano::pages
