// The pages of this category: template, class, "Real Time" box and how to build each.
#include "pages/page_registry.h"

namespace veltrano::pages {
namespace {

const PageInfo kPages[] = {
    {207, "DoPage", 1637, "Real Time", nullptr},
    {210, "TurbidityPage", 1650, "Real Time", nullptr},
    {208, "ClPage", 1640, "Real Time", nullptr},
    {209, "NhnPage", 1643, "Real Time", nullptr},
};

}  // namespace

std::span<const PageInfo> WaterQualityPages() { return kPages; }

}  // namespace veltrano::pages
