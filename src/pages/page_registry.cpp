#include "pages/page_registry.h"

#include <stdexcept>

#include "pages/temhum/temperature_page.h"
#include "pages/temhum/tem_humidity_page.h"
#include "pages/temhum/tem_hum_kanban_page.h"
#include "pages/temhum/dew_tem_page.h"
#include "pages/alarm/water_leak_page.h"
#include "pages/alarm/smoke_page.h"
#include "pages/alarm/infrared_page.h"
#include "pages/lighting/illum6w_page.h"
#include "pages/lighting/illum20w_page.h"
#include "pages/lighting/illum6w_tem_hum_page.h"
#include "pages/lighting/illum20w_tem_hum_page.h"
#include "pages/placeholder_page.h"

namespace veltrano::pages {
namespace {

template <class T>
std::unique_ptr<DevicePage> Make(Link& link) {
    return std::make_unique<T>(link);
}

constexpr const char* kRT = "Real Time";

const PageInfo kPages[] = {
    // Temperature & humidity
    {131, "TemperaturePage", 1011, kRT, Make<TemperaturePage>},
    {132, "TemHumidityPage", 1015, kRT, Make<TemHumidityPage>},
    {189, "TemHumKanbanPage", 1398, kRT, Make<TemHumKanbanPage>},
    {205, "DewTemPage", 1631, kRT, Make<DewTemPage>},
    // Water leak, smoke, infrared
    {137, "WaterLeakPage", 1030, kRT, Make<WaterLeakPage>},
    {134, "SmokePage", 1021, kRT, Make<SmokePage>},
    {136, "InfraredPage", 1027, kRT, Make<InfraredPage>},
    // Lighting
    {141, "Illum6WPage", 1043, kRT, Make<Illum6WPage>},
    {142, "Illum20WPage", 1048, kRT, Make<Illum20WPage>},
    {139, "Illum6WTemHumPage", 1033, kRT, Make<Illum6WTemHumPage>},
    {140, "Illum20WTemHumPage", 1040, kRT, Make<Illum20WTemHumPage>},
    // Gas
    {144, "LampPage", 1064, kRT, nullptr},
    {145, "Co2Page", 1015, "Teal Time", nullptr},
    {146, "CoPage", 1069, kRT, nullptr},
    {147, "TvocPage", 1072, kRT, nullptr},
    {148, "So2Page", 1079, kRT, nullptr},
    {149, "No2Page", 1086, kRT, nullptr},
    {150, "O2Page", 1015, kRT, nullptr},
    {151, "H2sPage", 1015, kRT, nullptr},
    {152, "Nh3Page", 1015, kRT, nullptr},
    {154, "O3Page", 1015, kRT, nullptr},
    {195, "MultiGasPage", 1435, kRT, nullptr},
    {201, "HchoPage", 1605, kRT, nullptr},
    {202, "Ch4Page", 1613, kRT, nullptr},
    {211, "Sf6Page", 1659, kRT, nullptr},
    // Wind
    {156, "WindDirectionPage", 1244, kRT, nullptr},
    {157, "WindSpeedPage", 1247, kRT, nullptr},
    // Soil
    {169, "ThreeInOneSoilPage", 1303, kRT, nullptr},
    {170, "SoilTempMoisturePage", 1308, kRT, nullptr},
    {172, "SoilMoisturePage", 1253, kRT, nullptr},
    {187, "SoilConductivityPage", 1370, kRT, nullptr},
    {188, "SoilPhPage", 1366, kRT, nullptr},
    {199, "SoilTensionPage", 1588, kRT, nullptr},
    // Weather
    {171, "NoisePage", 1250, kRT, nullptr},
    {173, "AirPressurePage", 1258, kRT, nullptr},
    {174, "RainGaugePage", 1261, kRT, nullptr},
    {182, "Co2BlindsPage", 1321, kRT, nullptr},
    {176, "RadiationPage", 1269, kRT, nullptr},
    {177, "UvPage", 1069, kRT, nullptr},
    {178, "PmBlindsPage", 1281, kRT, nullptr},
    {179, "RainSnowPage", 1015, kRT, nullptr},
    {180, "PmPage", 1290, kRT, nullptr},
    {190, "DustTesterPage", 1069, kRT, nullptr},
    {196, "EvaPage", 1573, kRT, nullptr},
    // Single-sub-tab containers and single pages
    {184, "CurrentCollectorPage", 1345, kRT, nullptr},
    {186, "LampblackPage", 1365, kRT, nullptr},
    {193, "WaterGaugePage", 1435, kRT, nullptr},
    {197, "TiltPage", 1435, kRT, nullptr},
    {200, "PhPage", 1594, kRT, nullptr},
    {203, "EcPage", 1435, kRT, nullptr},
    // Water quality
    {207, "DoPage", 1637, kRT, nullptr},
    {210, "TurbidityPage", 1650, kRT, nullptr},
    {208, "ClPage", 1640, kRT, nullptr},
    {209, "NhnPage", 1643, kRT, nullptr},
};

}  // namespace

std::span<const PageInfo> AllPages() { return kPages; }

const PageInfo* FindPage(int templateId) {
    for (const PageInfo& p : kPages)
        if (p.templateId == templateId) return &p;
    return nullptr;
}

const PageInfo* FindPage(const std::string& className) {
    for (const PageInfo& p : kPages)
        if (className == p.className) return &p;
    return nullptr;
}

std::unique_ptr<DevicePage> MakePage(int templateId, Link& link) {
    const PageInfo* info = FindPage(templateId);
    if (!info) throw std::logic_error("no page for template " + std::to_string(templateId));
    if (info->make) return info->make(link);
    return std::make_unique<PlaceholderPage>(link, info->templateId, info->className, info->realTimeBox,
                                             info->realTimeLabel);
}

}  // namespace veltrano::pages
