// The pages of this category: template, class, "Real Time" box and how to build each.
#include "pages/page_registry.h"
#include "pages/wind/wind_direction_page.h"
#include "pages/wind/wind_speed_page.h"

namespace veltrano::pages {
namespace {

const PageInfo kPages[] = {
    {156, "WindDirectionPage", 1244, "Real Time", Make<WindDirectionPage>},
    {157, "WindSpeedPage", 1247, "Real Time", Make<WindSpeedPage>},
};

}  // namespace

std::span<const PageInfo> WindPages() { return kPages; }

}  // namespace veltrano::pages
