#pragma once
// "Type C Weather/PM blinds": temperature, humidity, noise, PM2.5, PM10,
// atmosphere and illumination of one weather box, and its virtual multiple address.
#include "pages/table_page.h"

namespace veltrano::pages {

class PmBlindsPage : public TablePage {
public:
    explicit PmBlindsPage(Link& link);
    static const PageTable kTable;
};

}  // namespace veltrano::pages
