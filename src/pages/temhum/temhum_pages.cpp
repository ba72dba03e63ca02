// The pages of this category: template, class, "Real Time" box and how to build each.
#include "pages/page_registry.h"
#include "pages/temhum/dew_tem_page.h"
#include "pages/temhum/tem_hum_kanban_page.h"
#include "pages/temhum/tem_humidity_page.h"
#include "pages/temhum/temperature_page.h"

namespace veltrano::pages {
namespace {

const PageInfo kPages[] = {
    {131, "TemperaturePage", 1011, "Real Time", Make<TemperaturePage>},
    {132, "TemHumidityPage", 1015, "Real Time", Make<TemHumidityPage>},
    {189, "TemHumKanbanPage", 1398, "Real Time", Make<TemHumKanbanPage>},
    {205, "DewTemPage", 1631, "Real Time", Make<DewTemPage>},
};

}  // namespace

std::span<const PageInfo> TemHumPages() { return kPages; }

}  // namespace veltrano::pages
