// The pages of this category; each says its template, class and "Real Time" box in its table.
#include "pages/page_registry.h"
#include "pages/wind/wind_direction_page.h"
#include "pages/wind/wind_speed_page.h"

namespace veltrano::pages {

std::span<const PageInfo> WindPages() {
    static const PageInfo pages[] = {
        Entry<WindDirectionPage>(),
        Entry<WindSpeedPage>(),
    };
    return pages;
}

}  // namespace veltrano::pages
