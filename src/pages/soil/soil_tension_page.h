#pragma once
// Soil tension probe, in tenths of a kPa; its Inquire words its own messages.
#include "pages/table_page.h"

namespace veltrano::pages {

class SoilTensionPage : public TablePage {
public:
    explicit SoilTensionPage(Link& link);
    static const PageTable kTable;
};

}  // namespace veltrano::pages
