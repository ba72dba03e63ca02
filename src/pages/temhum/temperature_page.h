#pragma once
// Temperature transmitter: one signed reading in tenths of a degree.
#include "pages/table_page.h"

namespace veltrano::pages {

class TemperaturePage : public TablePage {
public:
    explicit TemperaturePage(Link& link);
    static const PageTable kTable;
};

}  // namespace veltrano::pages
