#pragma once
// Sound level meter: one reading in tenths of a dB.
#include "pages/table_page.h"

namespace veltrano::pages {

class NoisePage : public TablePage {
public:
    explicit NoisePage(Link& link);
    static const PageTable kTable;
};

}  // namespace veltrano::pages
