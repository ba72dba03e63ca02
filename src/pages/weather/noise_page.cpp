#include "pages/weather/noise_page.h"

namespace veltrano::pages {
namespace {

constexpr Row kRows[] = {
    {.edit = 1248, .label = "Noise", .unit = "dB", .reg = 0, .read = kTenths, .inquire = 1249, .poll = 1},
};

}  // namespace

const PageTable NoisePage::kTable = {
    .templateId = 171,
    .className = "NoisePage",
    .rows = kRows,
    .realTimeBox = 1250,
};

NoisePage::NoisePage(Link& link) : TablePage(link, kTable) {}

}  // namespace veltrano::pages
