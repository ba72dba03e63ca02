#pragma once
// Temperature and humidity transmitter.
#include "pages/table_page.h"

namespace veltrano::pages {

class TemHumidityPage : public TablePage {
public:
    explicit TemHumidityPage(Link& link);
    static const PageTable kTable;
};

}  // namespace veltrano::pages
