// The pages of this category: template, class, "Real Time" box and how to build each.
#include "pages/page_registry.h"
#include "pages/tilt/tilt_page.h"

namespace veltrano::pages {
namespace {

const PageInfo kPages[] = {
    {197, "TiltPage", 1435, "Real Time", Make<TiltPage>},
};

}  // namespace

std::span<const PageInfo> TiltPages() { return kPages; }

}  // namespace veltrano::pages
