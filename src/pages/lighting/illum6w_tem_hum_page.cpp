#include "pages/lighting/illum6w_tem_hum_page.h"

namespace veltrano::pages {
namespace {

constexpr Row kRows[] = {
    {.edit = 1031, .label = "Temperature", .unit = "℃", .reg = 1, .read = kTenths, .inquire = 1032, .poll = 1},
    {.edit = 1012, .label = "Humidity", .unit = "%RH", .reg = 0, .read = kTenths, .inquire = 1013, .poll = 1},
    {.edit = 1014, .label = "Illumination", .unit = "Lux", .reg = 6, .read = kUnsigned, .inquire = 1015, .poll = 1},
};

}  // namespace

const PageTable Illum6WTemHumPage::kTable = {
    .templateId = 139,
    .className = "Illum6WTemHumPage",
    .rows = kRows,
    .realTimeBox = 1033,
    .noticeTitle = "Notice：",
    .noticeText = "  The details of the device range 0-65535LUX, refer to the instruction manual for details. Otherwise, it will cause measurement results.",
};

Illum6WTemHumPage::Illum6WTemHumPage(Link& link) : TablePage(link, kTable) {}

}  // namespace veltrano::pages
