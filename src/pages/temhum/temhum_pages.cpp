// The pages of this category; each says its template, class and "Real Time" box in its table.
#include "pages/page_registry.h"
#include "pages/temhum/dew_tem_page.h"
#include "pages/temhum/tem_hum_kanban_page.h"
#include "pages/temhum/tem_humidity_page.h"
#include "pages/temhum/temperature_page.h"

namespace veltrano::pages {

std::span<const PageInfo> TemHumPages() {
    static const PageInfo pages[] = {
        Entry<TemperaturePage>(),
        Entry<TemHumidityPage>(),
        Entry<TemHumKanbanPage>(),
        Entry<DewTemPage>(),
    };
    return pages;
}

}  // namespace veltrano::pages
