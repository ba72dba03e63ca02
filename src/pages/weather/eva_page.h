#pragma once
// Evaporation pan: the weight of the water in g and the water level it
// makes, with a clearing (tare) command. Its messages are its own.
#include "pages/table_page.h"

namespace veltrano::pages {

class EvaPage : public TablePage {
public:
    explicit EvaPage(Link& link);
    static const PageTable kTable;

private:
    void InquireWeight();
};

}  // namespace veltrano::pages
