#pragma once
// SF6 transmitter, with or without temperature and humidity; SF6 in whole ppm, signed.
#include "pages/table_page.h"

namespace veltrano::pages {

class Sf6Page : public TablePage {
public:
    explicit Sf6Page(Link& link);
    static const PageTable kTable;
};

}  // namespace veltrano::pages
