// The pages of this category; each says its template, class and "Real Time" box in its table.
#include "pages/page_registry.h"
#include "pages/tilt/tilt_page.h"

namespace veltrano::pages {

std::span<const PageInfo> TiltPages() {
    static const PageInfo pages[] = {
        Entry<TiltPage>(),
    };
    return pages;
}

}  // namespace veltrano::pages
