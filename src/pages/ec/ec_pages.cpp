// The pages of this category; each says its template, class and "Real Time" box in its table.
#include "pages/ec/ec_page.h"
#include "pages/page_registry.h"

namespace veltrano::pages {

std::span<const PageInfo> EcPages() {
    static const PageInfo pages[] = {
        Entry<EcPage>(),
    };
    return pages;
}

}  // namespace veltrano::pages
