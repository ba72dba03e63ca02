// The pages of this category: template, class, "Real Time" box and how to build each.
#include "pages/page_registry.h"

namespace veltrano::pages {
namespace {

const PageInfo kPages[] = {
    {156, "WindDirectionPage", 1244, "Real Time", nullptr},
    {157, "WindSpeedPage", 1247, "Real Time", nullptr},
};

}  // namespace

std::span<const PageInfo> WindPages() { return kPages; }

}  // namespace veltrano::pages
