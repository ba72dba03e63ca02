// The pages of this category; each says its template, class and "Real Time" box in its table.
#include "pages/page_registry.h"
#include "pages/ph/ph_page.h"

namespace veltrano::pages {

std::span<const PageInfo> PhPages() {
    static const PageInfo pages[] = {
        Entry<PhPage>(),
    };
    return pages;
}

}  // namespace veltrano::pages
