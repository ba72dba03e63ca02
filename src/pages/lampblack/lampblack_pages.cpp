// The pages of this category; each says its template, class and "Real Time" box in its table.
#include "pages/lampblack/lampblack_page.h"
#include "pages/page_registry.h"

namespace veltrano::pages {

std::span<const PageInfo> LampblackPages() {
    static const PageInfo pages[] = {
        Entry<LampblackPage>(),
    };
    return pages;
}

}  // namespace veltrano::pages
