// The pages of this category: template, class, "Real Time" box and how to build each.
#include "pages/page_registry.h"
#include "pages/soil/soil_conductivity_page.h"
#include "pages/soil/soil_moisture_page.h"
#include "pages/soil/soil_ph_page.h"
#include "pages/soil/soil_temp_moisture_page.h"
#include "pages/soil/soil_tension_page.h"
#include "pages/soil/three_in_one_soil_page.h"

namespace veltrano::pages {
namespace {

const PageInfo kPages[] = {
    {169, "ThreeInOneSoilPage", 1303, "Real Time", Make<ThreeInOneSoilPage>},
    {170, "SoilTempMoisturePage", 1308, "Real Time", Make<SoilTempMoisturePage>},
    {172, "SoilMoisturePage", 1253, "Real Time", Make<SoilMoisturePage>},
    {187, "SoilConductivityPage", 1370, "Real Time", Make<SoilConductivityPage>},
    {188, "SoilPhPage", 1366, "Real Time", Make<SoilPhPage>},
    {199, "SoilTensionPage", 1588, "Real Time", Make<SoilTensionPage>},
};

}  // namespace

std::span<const PageInfo> SoilPages() { return kPages; }

}  // namespace veltrano::pages
