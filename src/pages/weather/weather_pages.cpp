// The pages of this category: template, class, "Real Time" box and how to build each.
#include "pages/page_registry.h"

namespace veltrano::pages {
namespace {

const PageInfo kPages[] = {
    {171, "NoisePage", 1250, "Real Time", nullptr},
    {173, "AirPressurePage", 1258, "Real Time", nullptr},
    {174, "RainGaugePage", 1261, "Real Time", nullptr},
    {182, "Co2BlindsPage", 1321, "Real Time", nullptr},
    {176, "RadiationPage", 1269, "Real Time", nullptr},
    {177, "UvPage", 1069, "Real Time", nullptr},
    {178, "PmBlindsPage", 1281, "Real Time", nullptr},
    {179, "RainSnowPage", 1015, "Real Time", nullptr},
    {180, "PmPage", 1290, "Real Time", nullptr},
    {190, "DustTesterPage", 1069, "Real Time", nullptr},
    {196, "EvaPage", 1573, "Real Time", nullptr},
};

}  // namespace

std::span<const PageInfo> WeatherPages() { return kPages; }

}  // namespace veltrano::pages
