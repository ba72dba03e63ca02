// The pages of this category: template, class, "Real Time" box and how to build each.
#include "pages/current/current_collector_page.h"
#include "pages/page_registry.h"

namespace veltrano::pages {
namespace {

const PageInfo kPages[] = {
    {184, "CurrentCollectorPage", 1345, "Real Time", Make<CurrentCollectorPage>},
};

}  // namespace

std::span<const PageInfo> CurrentPages() { return kPages; }

}  // namespace veltrano::pages
