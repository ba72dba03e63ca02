// The pages of this category: template, class, "Real Time" box and how to build each.
#include "pages/lighting/illum20w_page.h"
#include "pages/lighting/illum20w_tem_hum_page.h"
#include "pages/lighting/illum6w_page.h"
#include "pages/lighting/illum6w_tem_hum_page.h"
#include "pages/page_registry.h"

namespace veltrano::pages {
namespace {

const PageInfo kPages[] = {
    {141, "Illum6WPage", 1043, "Real Time", Make<Illum6WPage>},
    {142, "Illum20WPage", 1048, "Real Time", Make<Illum20WPage>},
    {139, "Illum6WTemHumPage", 1033, "Real Time", Make<Illum6WTemHumPage>},
    {140, "Illum20WTemHumPage", 1040, "Real Time", Make<Illum20WTemHumPage>},
};

}  // namespace

std::span<const PageInfo> LightingPages() { return kPages; }

}  // namespace veltrano::pages
