// The pages of this category: template, class, "Real Time" box and how to build each.
#include "pages/alarm/infrared_page.h"
#include "pages/alarm/smoke_page.h"
#include "pages/alarm/water_leak_page.h"
#include "pages/page_registry.h"

namespace veltrano::pages {
namespace {

const PageInfo kPages[] = {
    {137, "WaterLeakPage", 1030, "Real Time", Make<WaterLeakPage>},
    {134, "SmokePage", 1021, "Real Time", Make<SmokePage>},
    {136, "InfraredPage", 1027, "Real Time", Make<InfraredPage>},
};

}  // namespace

std::span<const PageInfo> AlarmPages() { return kPages; }

}  // namespace veltrano::pages
