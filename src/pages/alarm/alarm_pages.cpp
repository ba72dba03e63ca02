// The pages of this category; each says its template, class and "Real Time" box in its table.
#include "pages/alarm/infrared_page.h"
#include "pages/alarm/smoke_page.h"
#include "pages/alarm/water_leak_page.h"
#include "pages/page_registry.h"

namespace veltrano::pages {

std::span<const PageInfo> AlarmPages() {
    static const PageInfo pages[] = {
        Entry<WaterLeakPage>(),
        Entry<SmokePage>(),
        Entry<InfraredPage>(),
    };
    return pages;
}

}  // namespace veltrano::pages
