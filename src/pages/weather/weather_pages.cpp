// The pages of this category: template, class, "Real Time" box and how to build each.
#include "pages/page_registry.h"
#include "pages/weather/air_pressure_page.h"
#include "pages/weather/co2_blinds_page.h"
#include "pages/weather/dust_tester_page.h"
#include "pages/weather/eva_page.h"
#include "pages/weather/noise_page.h"
#include "pages/weather/pm_blinds_page.h"
#include "pages/weather/pm_page.h"
#include "pages/weather/radiation_page.h"
#include "pages/weather/rain_gauge_page.h"
#include "pages/weather/rain_snow_page.h"
#include "pages/weather/uv_page.h"

namespace veltrano::pages {
namespace {

const PageInfo kPages[] = {
    {171, "NoisePage", 1250, "Real Time", Make<NoisePage>},
    {173, "AirPressurePage", 1258, "Real Time", Make<AirPressurePage>},
    {174, "RainGaugePage", 1261, "Real Time", Make<RainGaugePage>},
    {182, "Co2BlindsPage", 1321, "Real Time", Make<Co2BlindsPage>},
    {176, "RadiationPage", 1269, "Real Time", Make<RadiationPage>},
    {177, "UvPage", 1069, "Real Time", Make<UvPage>},
    {178, "PmBlindsPage", 1281, "Real Time", Make<PmBlindsPage>},
    {179, "RainSnowPage", 1015, "Real Time", Make<RainSnowPage>},
    {180, "PmPage", 1290, "Real Time", Make<PmPage>},
    {190, "DustTesterPage", 1069, "Real Time", Make<DustTesterPage>},
    {196, "EvaPage", 1573, "Real Time", Make<EvaPage>},
};

}  // namespace

std::span<const PageInfo> WeatherPages() { return kPages; }

}  // namespace veltrano::pages
