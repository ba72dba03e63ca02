#pragma once
// Smoke detector: reports 0 normally, 1 on an alarm.
#include "pages/table_page.h"

namespace veltrano::pages {

class SmokePage : public TablePage {
public:
    explicit SmokePage(Link& link);
    static const PageTable kTable;
};

}  // namespace veltrano::pages
