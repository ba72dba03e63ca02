#pragma once
// TVOC transmitter: one unsigned reading in ppb.
#include "pages/table_page.h"

namespace veltrano::pages {

class TvocPage : public TablePage {
public:
    explicit TvocPage(Link& link);
    static const PageTable kTable;
};

}  // namespace veltrano::pages
