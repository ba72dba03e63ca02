#include "pages/gas/ch4_page.h"

namespace veltrano::pages {
namespace {

// A sorted list the operator can also type into; the category container
// fills it and selects "CH4&Tem&Hum".
// The entry with temperature and humidity is the only full one: the gas-only
// entry, and typed text (which selects no entry), read and unlock only what
// every variant of the transmitter has.
constexpr const char* kWithTemHum[] = {"CH4&Tem&Hum"};
constexpr const char* kEntries[] = {"CH4", "CH4&Tem&Hum"};
constexpr TypeList kTypeList{.id = 1607,
                             .sorted = true,
                             .editable = true,
                             .reduced = kWithTemHum,
                             .reducedUnlessListed = true,
                             .disablesEdits = false,
                             .entries = kEntries,
                             .selected = 1};

constexpr Row kRows[] = {
    {.edit = 1608, .label = "Tem", .unit = "℃", .reg = 1, .read = kTenths, .inquire = 1609, .follows = true, .poll = 1},
    {.edit = 1610, .label = "Hum", .unit = "%RH", .reg = 0, .read = kTenths, .inquire = 1611, .follows = true,
     .poll = 1},
    {.edit = 1486, .label = "CH4", .unit = "ppm", .reg = 2, .read = kSigned, .inquire = 1612, .poll = 1},
};

constexpr int kGoverned[] = {1612, 1607};
constexpr int kGovernedFull[] = {1609, 1611};

}  // namespace

const PageTable Ch4Page::kTable = {
    .templateId = 202,
    .className = "Ch4Page",
    .rows = kRows,
    .realTimeBox = 1613,
    .refusal = "Please open the serial port first",
    .stopsAfterRefusal = true,
    .governed = kGoverned,
    .governedFull = kGovernedFull,
    .typeList = &kTypeList,
};

Ch4Page::Ch4Page(Link& link) : TablePage(link, kTable) {}

}  // namespace veltrano::pages
