#include "pages/lighting/illum20w_tem_hum_page.h"

namespace veltrano::pages {
namespace {

constexpr Row kRows[] = {
    {.edit = 1034, .label = "Temperature", .unit = "℃", .reg = 1, .read = kTenths, .inquire = 1037, .poll = 1},
    {.edit = 1035, .label = "Humidity", .unit = "%RH", .reg = 0, .read = kTenths, .inquire = 1038, .poll = 1},
    {.edit = 1036, .label = "Illumination", .unit = "Lux", .reg = 2, .read = kUnsigned32, .inquire = 1039, .poll = 1},
    {.edit = 1016, .label = "Illumination", .unit = "x100 Lux", .reg = 6, .read = kUnsigned, .inquire = 1017,
     .poll = 1},
};

}  // namespace

const PageTable Illum20WTemHumPage::kTable = {
    .templateId = 140,
    .className = "Illum20WTemHumPage",
    .rows = kRows,
    .realTimeBox = 1040,
    .refusal = nullptr,  // no port test
    .noticeTitle = "Notice：",
    .noticeText = "  The details of the device range 0-200000LUX, refer to the instruction manual for details. Otherwise, it will cause measurement results.",
};

Illum20WTemHumPage::Illum20WTemHumPage(Link& link) : TablePage(link, kTable) {}

}  // namespace veltrano::pages
