#pragma once
// "Type C Weather/CO2 blinds": the weather box with CO2 in place of the particulates.
#include "pages/table_page.h"

namespace veltrano::pages {

class Co2BlindsPage : public TablePage {
public:
    explicit Co2BlindsPage(Link& link);
    static const PageTable kTable;
};

}  // namespace veltrano::pages
