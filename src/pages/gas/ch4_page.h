#pragma once
// Methane transmitter, with or without temperature and humidity; CH4 in whole ppm, signed.
#include "pages/table_page.h"

namespace veltrano::pages {

class Ch4Page : public TablePage {
public:
    explicit Ch4Page(Link& link);
    static const PageTable kTable;
};

}  // namespace veltrano::pages
