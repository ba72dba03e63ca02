// The pages of this category: template, class, "Real Time" box and how to build each.
#include "pages/page_registry.h"
#include "pages/watergauge/water_gauge_page.h"

namespace veltrano::pages {
namespace {

const PageInfo kPages[] = {
    {193, "WaterGaugePage", 1435, "Real Time", Make<WaterGaugePage>},
};

}  // namespace

std::span<const PageInfo> WaterGaugePages() { return kPages; }

}  // namespace veltrano::pages
