#include "pages/gas/sf6_page.h"

namespace veltrano::pages {
namespace {

// A sorted list the operator can also type into; the category container
// fills it and selects "SF6&Tem&Hum".
// The entry with temperature and humidity is the only full one: the gas-only
// entry, and typed text (which selects no entry), read and unlock only what
// every variant of the transmitter has.
constexpr const char* kWithTemHum[] = {"SF6&Tem&Hum"};
constexpr const char* kEntries[] = {"SF6", "SF6&Tem&Hum"};
constexpr TypeList kTypeList{.id = 1657,
                             .sorted = true,
                             .editable = true,
                             .reduced = kWithTemHum,
                             .reducedUnlessListed = true,
                             .disablesEdits = false,
                             .entries = kEntries,
                             .selected = 1};

constexpr Row kRows[] = {
    {.edit = 1658, .label = "Tem", .unit = "℃", .reg = 1, .read = kTenths, .inquire = 1662, .follows = true, .poll = 1},
    {.edit = 1660, .label = "Hum", .unit = "%RH", .reg = 0, .read = kTenths, .inquire = 1663, .follows = true,
     .poll = 1},
    {.edit = 1661, .label = "SF6", .unit = "ppm", .reg = 2, .read = kSigned, .inquire = 1664, .poll = 1},
};

constexpr int kGoverned[] = {1664, 1657};
constexpr int kGovernedFull[] = {1662, 1663};

}  // namespace

const PageTable Sf6Page::kTable = {
    .templateId = 211,
    .className = "Sf6Page",
    .rows = kRows,
    .realTimeBox = 1659,
    .refusal = "Please open the serial port first",
    .stopsAfterRefusal = true,
    .governed = kGoverned,
    .governedFull = kGovernedFull,
    .typeList = &kTypeList,
};

Sf6Page::Sf6Page(Link& link) : TablePage(link, kTable) {}

}  // namespace veltrano::pages
