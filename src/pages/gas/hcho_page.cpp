#include "pages/gas/hcho_page.h"

namespace veltrano::pages {
namespace {

// A sorted list the operator can also type into; the category container
// fills it and selects "HCHO&Tem&Hum".
// The entry with temperature and humidity is the only full one: the gas-only
// entry, and typed text (which selects no entry), read and unlock only what
// every variant of the transmitter has.
constexpr const char* kWithTemHum[] = {"HCHO&Tem&Hum"};
constexpr const char* kEntries[] = {"HCHO", "HCHO&Tem&Hum"};
constexpr TypeList kTypeList{.id = 1600,
                             .sorted = true,
                             .editable = true,
                             .reduced = kWithTemHum,
                             .reducedUnlessListed = true,
                             .disablesEdits = false,
                             .entries = kEntries,
                             .selected = 1};

constexpr Row kRows[] = {
    {.edit = 1601, .label = "Tem", .unit = "℃", .reg = 1, .read = kTenths, .inquire = 1602, .follows = true, .poll = 1},
    {.edit = 1603, .label = "Hum", .unit = "%RH", .reg = 0, .read = kTenths, .inquire = 1604, .follows = true,
     .poll = 1},
    {.edit = 1482, .label = "HCHO", .unit = "ppm", .reg = 2, .read = kHundredths, .inquire = 1606, .poll = 1},
};

constexpr int kGoverned[] = {1606, 1600};
constexpr int kGovernedFull[] = {1602, 1604};

}  // namespace

const PageTable HchoPage::kTable = {
    .templateId = 201,
    .className = "HchoPage",
    .rows = kRows,
    .realTimeBox = 1605,
    .refusal = "Please open the serial port first",
    .stopsAfterRefusal = true,
    .governed = kGoverned,
    .governedFull = kGovernedFull,
    .typeList = &kTypeList,
};

HchoPage::HchoPage(Link& link) : TablePage(link, kTable) {}

}  // namespace veltrano::pages
