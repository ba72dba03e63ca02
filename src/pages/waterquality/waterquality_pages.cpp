// The pages of this category; each says its template, class and "Real Time" box in its table.
#include "pages/page_registry.h"
#include "pages/waterquality/cl_page.h"
#include "pages/waterquality/do_page.h"
#include "pages/waterquality/nhn_page.h"
#include "pages/waterquality/turbidity_page.h"

namespace veltrano::pages {

std::span<const PageInfo> WaterQualityPages() {
    static const PageInfo pages[] = {
        Entry<DoPage>(),
        Entry<TurbidityPage>(),
        Entry<ClPage>(),
        Entry<NhnPage>(),
    };
    return pages;
}

}  // namespace veltrano::pages
