#pragma once
// CO transmitter, with or without temperature and humidity.
#include "pages/table_page.h"

namespace veltrano::pages {

class CoPage : public TablePage {
public:
    explicit CoPage(Link& link);
    static const PageTable kTable;
};

}  // namespace veltrano::pages
