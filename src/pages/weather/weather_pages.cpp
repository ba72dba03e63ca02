// The pages of this category; each says its template, class and "Real Time" box in its table.
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

std::span<const PageInfo> WeatherPages() {
    static const PageInfo pages[] = {
        Entry<NoisePage>(),     Entry<AirPressurePage>(), Entry<RainGaugePage>(), Entry<Co2BlindsPage>(),
        Entry<RadiationPage>(), Entry<UvPage>(),          Entry<PmBlindsPage>(),  Entry<RainSnowPage>(),
        Entry<PmPage>(),        Entry<DustTesterPage>(),  Entry<EvaPage>(),
    };
    return pages;
}

}  // namespace veltrano::pages
