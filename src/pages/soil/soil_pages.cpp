// The pages of this category: template, class, "Real Time" box and how to build each.
#include "pages/page_registry.h"

namespace veltrano::pages {
namespace {

const PageInfo kPages[] = {
    {169, "ThreeInOneSoilPage", 1303, "Real Time", nullptr},
    {170, "SoilTempMoisturePage", 1308, "Real Time", nullptr},
    {172, "SoilMoisturePage", 1253, "Real Time", nullptr},
    {187, "SoilConductivityPage", 1370, "Real Time", nullptr},
    {188, "SoilPhPage", 1366, "Real Time", nullptr},
    {199, "SoilTensionPage", 1588, "Real Time", nullptr},
};

}  // namespace

std::span<const PageInfo> SoilPages() { return kPages; }

}  // namespace veltrano::pages
