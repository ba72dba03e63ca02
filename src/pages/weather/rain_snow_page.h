#pragma once
// Rain and snow detector: its alarm state, the alarm reset delay and the sensitivity.
#include "pages/table_page.h"

namespace veltrano::pages {

class RainSnowPage : public TablePage {
public:
    explicit RainSnowPage(Link& link);
    static const PageTable kTable;
};

}  // namespace veltrano::pages
