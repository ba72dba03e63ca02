#include "pages/watergauge/water_gauge_page.h"

#include "pages/table_page.h"

namespace veltrano::pages {
namespace {

constexpr StatusWords kWaterWords{"Water", "No Water", "err"};
constexpr ReadOp kWaterState = Status(1, 0, &kWaterWords);
constexpr ReadOp kWaterTem = ScaledSingle(0.1, 1);
constexpr ReadOp kAngle{Read::Float, 1.0, 2};

// Every number typed on this page is written as a whole number.
constexpr WriteOp kWriteWhole = WriteScaled(1);

constexpr const char* kModes[] = {"Altitude Measurement", "Depth Measurement", "Tilt Measurement"};
constexpr const char* kRelayStates[] = {"Open", "Close"};
constexpr const char* kAssociations[] = {"Uncorrelated", "Associated"};
constexpr const char* kAnalogTypes[] = {"4-20mA", "0-5V", "0-10V"};
constexpr ListSpec kModeList{.items = kModes};
constexpr ListSpec kRelayList{.items = kRelayStates};
constexpr ListSpec kAssociationList{.items = kAssociations};
constexpr ListSpec kAnalogList{.items = kAnalogTypes, .offset = 1};  // the device counts from 1

constexpr ReadTexts kGaugeReadTexts{"Serial port not open!", "Read format error!", "Check Value Error!"};
constexpr WriteTexts kGaugeWriteTexts{"Write Successfully", "Serial port not open!",
                                      "Return value error or device not responding!",
                                      "Receiving and sending data are inconsistent!"};

constexpr Row kRows[] = {
    {.edit = 1425, .label = "Host Running Mode", .reg = 100, .read = kListRead, .inquire = 1426,
     .write = kWriteList, .setup = 1427, .list = &kModeList, .readTexts = &kPageReadTexts},
    {.edit = 1467, .label = "Draft Length", .unit = "cm", .reg = 104, .read = kUnsigned, .inquire = 1465,
     .write = kWriteWhole, .setup = 1466},
    {.edit = 1428, .label = "State", .reg = 2, .read = kWaterState, .inquire = 1432},
    {.edit = 1429, .label = "Water Depth", .unit = "cm", .reg = 0, .read = kUnsigned, .inquire = 1433},
    {.edit = 1430, .label = "Water Tem", .unit = "℃", .reg = 1, .read = kWaterTem, .inquire = 1434},
    {.edit = 1436, .label = "Datum Value", .unit = "cm", .reg = 105, .read = kUnsigned, .inquire = 1439,
     .write = kWriteWhole, .setup = 1440},
    {.edit = 1437, .label = "Tilt Angle", .unit = "°", .reg = 106, .read = kAngle, .inquire = 1441,
     .write = kWriteFloat, .setup = 1442},
    {.edit = 1438, .label = "Sensitivity", .reg = 110, .read = kUnsigned, .inquire = 1443, .write = kWriteWhole,
     .setup = 1444},
    {.edit = 1445, .label = "Upper Limit", .unit = "cm", .reg = 101, .read = kUnsigned, .inquire = 1449,
     .write = kWriteWhole, .setup = 1450},
    {.edit = 1446, .label = "Lower Limit", .unit = "cm", .reg = 102, .read = kUnsigned, .inquire = 1451,
     .write = kWriteWhole, .setup = 1452},
    // Signed, as a typed -1 is written: widened to 32 bits and shown
    // unsigned, -1 would read back as 4294967295.
    {.edit = 1447, .label = "Backlash", .unit = "cm", .reg = 103, .read = kSigned, .inquire = 1453,
     .write = kWriteWhole, .setup = 1454},
    // Switches the relay itself: an output, not a setting.
    {.edit = 1460, .label = "Relay Status", .reg = 3, .read = kListRead, .inquire = 1456, .write = kWriteList,
     .setup = 1457, .list = &kRelayList, .action = true},
    {.edit = 1458, .label = "Upper Limit Relay", .reg = 108, .read = kListRead, .inquire = 1461,
     .write = kWriteList, .setup = 1462, .list = &kAssociationList},
    {.edit = 1459, .label = "Lower Limit Relay", .reg = 109, .read = kListRead, .inquire = 1463,
     .write = kWriteList, .setup = 1464, .list = &kAssociationList},
    // The analog-output group: built with its handlers, never shown.
    {.edit = 1477, .label = "模拟量类型", .reg = 117, .read = kListRead, .inquire = 1471, .write = kWriteList,
     .setup = 1472, .hidden = true, .disabled = true, .list = &kAnalogList, .inquireText = "查询", .setupText = "设置"},
    {.edit = 1469, .label = "量程上限", .unit = "cm", .reg = 112, .read = kUnsigned, .inquire = 1473,
     .write = kWriteWhole, .setup = 1474, .hidden = true, .disabled = true, .inquireText = "查询", .setupText = "设置"},
    {.edit = 1470, .label = "量程下限", .unit = "cm", .reg = 111, .read = kUnsigned, .inquire = 1475,
     .write = kWriteWhole, .setup = 1476, .hidden = true, .disabled = true, .inquireText = "查询", .setupText = "设置"},
};

constexpr BlockField kLiveFields[] = {
    {.edit = 1428, .word = 2, .show = kWaterState},
    {.edit = 1429, .word = 0, .show = kUnsigned},
    {.edit = 1430, .word = 1, .show = kWaterTem},
};
constexpr BlockRead kLive{.start = 0, .count = 3, .fields = kLiveFields};

}  // namespace

// Every Inquire and Set up button, the hidden group's included, is locked
// while "Real Time" is checked.
const PageTable WaterGaugePage::kTable = {
    .templateId = 193,
    .className = "WaterGaugePage",
    .rows = kRows,
    .realTimeBox = 1435,
    .block = &kLive,
    .readTexts = &kGaugeReadTexts,
    .writeTexts = &kGaugeWriteTexts,
};

WaterGaugePage::WaterGaugePage(Link& link) : TablePage(link, kTable) {}

}  // namespace veltrano::pages
