#pragma once
// Infrared presence detector: reports 0 normally, 1 on an alarm.
#include "pages/table_page.h"

namespace veltrano::pages {

class InfraredPage : public TablePage {
public:
    explicit InfraredPage(Link& link);
    static const PageTable kTable;
};

}  // namespace veltrano::pages
