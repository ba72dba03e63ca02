#pragma once
// Temperature and humidity display board: readings, alarm limits, hysteresis and calibration offsets, all in tenths.
#include "pages/table_page.h"

namespace veltrano::pages {

class TemHumKanbanPage : public TablePage {
public:
    explicit TemHumKanbanPage(Link& link);
    static const PageTable kTable;
};

}  // namespace veltrano::pages
