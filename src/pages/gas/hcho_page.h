#pragma once
// Formaldehyde transmitter, with or without temperature and humidity; HCHO in hundredths of ppm.
#include "pages/table_page.h"

namespace veltrano::pages {

class HchoPage : public TablePage {
public:
    explicit HchoPage(Link& link);
    static const PageTable kTable;
};

}  // namespace veltrano::pages
