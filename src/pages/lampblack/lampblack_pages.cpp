// The pages of this category: template, class, "Real Time" box and how to build each.
#include "pages/lampblack/lampblack_page.h"
#include "pages/page_registry.h"

namespace veltrano::pages {
namespace {

const PageInfo kPages[] = {
    {186, "LampblackPage", 1365, "Real Time", Make<LampblackPage>},
};

}  // namespace

std::span<const PageInfo> LampblackPages() { return kPages; }

}  // namespace veltrano::pages
