// The pages of this category; each says its template, class and "Real Time" box in its table.
#include "pages/page_registry.h"
#include "pages/watergauge/water_gauge_page.h"

namespace veltrano::pages {

std::span<const PageInfo> WaterGaugePages() {
    static const PageInfo pages[] = {
        Entry<WaterGaugePage>(),
    };
    return pages;
}

}  // namespace veltrano::pages
