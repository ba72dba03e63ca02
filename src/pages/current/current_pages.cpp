// The pages of this category; each says its template, class and "Real Time" box in its table.
#include "pages/current/current_collector_page.h"
#include "pages/page_registry.h"

namespace veltrano::pages {

std::span<const PageInfo> CurrentPages() {
    static const PageInfo pages[] = {
        Entry<CurrentCollectorPage>(),
    };
    return pages;
}

}  // namespace veltrano::pages
