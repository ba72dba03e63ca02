// The pages of this category; each says its template, class and "Real Time" box in its table.
#include "pages/lighting/illum20w_page.h"
#include "pages/lighting/illum20w_tem_hum_page.h"
#include "pages/lighting/illum6w_page.h"
#include "pages/lighting/illum6w_tem_hum_page.h"
#include "pages/page_registry.h"

namespace veltrano::pages {

std::span<const PageInfo> LightingPages() {
    static const PageInfo pages[] = {
        Entry<Illum6WPage>(),
        Entry<Illum20WPage>(),
        Entry<Illum6WTemHumPage>(),
        Entry<Illum20WTemHumPage>(),
    };
    return pages;
}

}  // namespace veltrano::pages
