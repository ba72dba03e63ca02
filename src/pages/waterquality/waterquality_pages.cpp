// The pages of this category: template, class, "Real Time" box and how to build each.
#include "pages/page_registry.h"
#include "pages/waterquality/cl_page.h"
#include "pages/waterquality/do_page.h"
#include "pages/waterquality/nhn_page.h"
#include "pages/waterquality/turbidity_page.h"

namespace veltrano::pages {
namespace {

const PageInfo kPages[] = {
    {207, "DoPage", 1637, "Real Time", Make<DoPage>},
    {210, "TurbidityPage", 1650, "Real Time", Make<TurbidityPage>},
    {208, "ClPage", 1640, "Real Time", Make<ClPage>},
    {209, "NhnPage", 1643, "Real Time", Make<NhnPage>},
};

}  // namespace

std::span<const PageInfo> WaterQualityPages() { return kPages; }

}  // namespace veltrano::pages
