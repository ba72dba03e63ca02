#pragma once
// SO2 transmitter, with or without temperature and humidity; SO2 in hundredths of ppm.
#include "pages/table_page.h"

namespace veltrano::pages {

class So2Page : public TablePage {
public:
    explicit So2Page(Link& link);
    static const PageTable kTable;
};

}  // namespace veltrano::pages
