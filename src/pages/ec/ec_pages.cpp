// The pages of this category: template, class, "Real Time" box and how to build each.
#include "pages/ec/ec_page.h"
#include "pages/page_registry.h"

namespace veltrano::pages {
namespace {

const PageInfo kPages[] = {
    {203, "EcPage", 1435, "Real Time", Make<EcPage>},
};

}  // namespace

std::span<const PageInfo> EcPages() { return kPages; }

}  // namespace veltrano::pages
