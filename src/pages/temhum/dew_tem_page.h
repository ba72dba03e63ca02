#pragma once
// Dew-point transmitter: humidity, dew point and temperature.
#include "pages/table_page.h"

namespace veltrano::pages {

class DewTemPage : public TablePage {
public:
    explicit DewTemPage(Link& link);
    static const PageTable kTable;
};

}  // namespace veltrano::pages
