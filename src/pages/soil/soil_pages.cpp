// The pages of this category; each says its template, class and "Real Time" box in its table.
#include "pages/page_registry.h"
#include "pages/soil/soil_conductivity_page.h"
#include "pages/soil/soil_moisture_page.h"
#include "pages/soil/soil_ph_page.h"
#include "pages/soil/soil_temp_moisture_page.h"
#include "pages/soil/soil_tension_page.h"
#include "pages/soil/three_in_one_soil_page.h"

namespace veltrano::pages {

std::span<const PageInfo> SoilPages() {
    static const PageInfo pages[] = {
        Entry<ThreeInOneSoilPage>(),   Entry<SoilTempMoisturePage>(), Entry<SoilMoisturePage>(),
        Entry<SoilConductivityPage>(), Entry<SoilPhPage>(),           Entry<SoilTensionPage>(),
    };
    return pages;
}

}  // namespace veltrano::pages
