#pragma once
// Multi-parameter air monitor: eighteen quantities in one block of nineteen registers, refreshed by one block read; a
// hidden calibration group with its own wording.
#include "pages/table_page.h"

namespace veltrano::pages {

class MultiGasPage : public TablePage {
public:
    explicit MultiGasPage(Link& link);
    static const PageTable kTable;
};

}  // namespace veltrano::pages
