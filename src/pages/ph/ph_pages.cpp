// The pages of this category: template, class, "Real Time" box and how to build each.
#include "pages/page_registry.h"
#include "pages/ph/ph_page.h"

namespace veltrano::pages {
namespace {

const PageInfo kPages[] = {
    {200, "PhPage", 1594, "Real Time", Make<PhPage>},
};

}  // namespace

std::span<const PageInfo> PhPages() { return kPages; }

}  // namespace veltrano::pages
