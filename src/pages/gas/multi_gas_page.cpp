#include "pages/gas/multi_gas_page.h"

namespace veltrano::pages {
namespace {

// This page formats its own readings, with the factor in single precision.
constexpr ReadOp kTenthsSingle = ScaledSingle(0.1, 1);
constexpr ReadOp kHundredthsSingle = ScaledSingle(0.01, 2);
// The block read takes these words as unsigned, where the Inquire buttons
// take them as signed: they differ only from 0x8000 up.
constexpr ReadOp kTenthsFromUnsigned = UnsignedScaledSingle(0.1, 1);
constexpr ReadOp kHundredthsFromUnsigned = UnsignedScaledSingle(0.01, 2);


// The calibration group's own wording.
constexpr ReadTexts kCaliReadTexts{"串口未打开", "读取格式错误", "设备校验值错误", "警告"};
constexpr WriteTexts kCaliWriteTexts{"写入成功", "串口未打开", "返回值错误或设备未响应", "接收与发送数据不一致",
                                     ui::Icon::Information, "警告"};
constexpr WriteOp kCaliWhole = WriteScaled(1);
constexpr WriteOp kCaliTenths = WriteScaled(10);
constexpr WriteOp kCaliHundredths = WriteScaled(100);

constexpr Row Cali(int edit, const char* label, uint16_t reg, ReadOp read, int inquire, WriteOp write, int setup) {
    return {.edit = edit, .label = label, .reg = reg, .read = read, .inquire = inquire, .write = write,
            .setup = setup, .hidden = true, .disabled = true, .readTexts = &kCaliReadTexts, .writeTexts = &kCaliWriteTexts,
            .inquireText = "查询", .setupText = "设置"};
}

constexpr Row kRows[] = {
    {.edit = 1286, .label = "PM2.5", .unit = "ug/m3", .reg = 0, .read = kUnsigned, .inquire = 1495},
    {.edit = 1287, .label = "PM10", .unit = "ug/m3", .reg = 1, .read = kUnsigned, .inquire = 1497},
    {.edit = 1488, .label = "Hum", .unit = "%RH", .reg = 2, .read = kTenthsSingle, .inquire = 1499},
    {.edit = 1487, .label = "Tem", .unit = "℃", .reg = 3, .read = kTenthsSingle, .inquire = 1498},
    {.edit = 1478, .label = "Pressure", .unit = "KPa", .reg = 4, .read = kTenthsSingle, .inquire = 1500},
    {.edit = 1479, .label = "Light", .unit = "Lux", .reg = 5, .read = kUnsigned32, .inquire = 1501},
    {.edit = 1480, .label = "TVOC", .unit = "ppb", .reg = 7, .read = kUnsigned, .inquire = 1494},
    {.edit = 1481, .label = "CO2", .unit = "ppm", .reg = 8, .read = kUnsigned, .inquire = 1503},
    {.edit = 1482, .label = "HCHO", .unit = "ppm", .reg = 9, .read = kHundredthsSingle, .inquire = 1504},
    {.edit = 1483, .label = "O3", .unit = "ppm", .reg = 10, .read = kHundredthsSingle, .inquire = 1505},
    {.edit = 1484, .label = "O2", .unit = "%Vol", .reg = 11, .read = kTenthsSingle, .inquire = 1506},
    {.edit = 1485, .label = "H2S", .unit = "ppm", .reg = 12, .read = kUnsigned, .inquire = 1507},
    {.edit = 1486, .label = "CH4", .unit = "%LEL", .reg = 13, .read = kUnsigned, .inquire = 1496},
    {.edit = 1489, .label = "CO", .unit = "ppm", .reg = 14, .read = kUnsigned, .inquire = 1508},
    {.edit = 1490, .label = "NO2", .unit = "ppm", .reg = 15, .read = kTenthsSingle, .inquire = 1509},
    {.edit = 1491, .label = "SO2", .unit = "ppm", .reg = 16, .read = kTenthsSingle, .inquire = 1510},
    {.edit = 1492, .label = "H2", .unit = "ppm", .reg = 17, .read = kUnsigned, .inquire = 1511},
    {.edit = 1493, .label = "NH3", .unit = "ppm", .reg = 18, .read = kUnsigned, .inquire = 1512},
    // The calibration group: offsets at the register of the quantity plus 80 (the
    // light offset at 86), built with the disabled style and never shown.
    Cali(1514, "PM2.5校准", 80, kWidened, 1521, kCaliWhole, 1522),
    Cali(1515, "PM10校准", 81, kWidened, 1523, kCaliWhole, 1524),
    Cali(1516, "温度校准", 83, kTenthsSingle, 1525, kCaliTenths, 1526),
    Cali(1517, "湿度校准", 82, kTenthsSingle, 1527, kCaliTenths, 1528),
    Cali(1518, "气压校准", 84, kTenthsSingle, 1529, kCaliTenths, 1530),
    Cali(1519, "光照校准", 86, kWidened, 1531, kCaliWhole, 1532),
    Cali(1533, "TVOC校准", 87, kWidened, 1539, kCaliWhole, 1540),
    Cali(1534, "CO2校准", 88, kWidened, 1541, kCaliWhole, 1542),
    Cali(1535, "甲醛校准", 89, kHundredthsSingle, 1543, kCaliHundredths, 1544),
    Cali(1536, "O3校准", 90, kHundredthsSingle, 1545, kCaliHundredths, 1546),
    Cali(1537, "O2校准", 91, kTenthsSingle, 1547, kCaliTenths, 1548),
    Cali(1538, "H2S校准", 92, kWidened, 1549, kCaliWhole, 1550),
    Cali(1520, "甲烷校准", 93, kWidened, 1557, kCaliWhole, 1558),
    Cali(1552, "CO校准", 94, kWidened, 1559, kCaliWhole, 1560),
    Cali(1553, "NO2校准", 95, kTenthsSingle, 1561, kCaliTenths, 1563),
    Cali(1554, "SO2校准", 96, kTenthsSingle, 1564, kCaliTenths, 1565),
    Cali(1555, "H2校准", 97, kWidened, 1566, kCaliWhole, 1567),
    Cali(1556, "NH3校准", 98, kWidened, 1568, kCaliWhole, 1569),
};

constexpr BlockField kFields[] = {
    {.edit = 1286, .word = 0, .show = kUnsigned},
    {.edit = 1287, .word = 1, .show = kUnsigned},
    {.edit = 1488, .word = 2, .show = kTenthsSingle},
    {.edit = 1487, .word = 3, .show = kTenthsSingle},
    {.edit = 1478, .word = 4, .show = kTenthsFromUnsigned},
    {.edit = 1479, .word = 5, .show = kUnsigned32},
    {.edit = 1480, .word = 7, .show = kUnsigned},
    {.edit = 1481, .word = 8, .show = kUnsigned},
    {.edit = 1482, .word = 9, .show = kHundredthsFromUnsigned},
    {.edit = 1483, .word = 10, .show = kHundredthsFromUnsigned},
    {.edit = 1484, .word = 11, .show = kTenthsFromUnsigned},
    {.edit = 1485, .word = 12, .show = kUnsigned},
    {.edit = 1486, .word = 13, .show = kUnsigned},
    {.edit = 1489, .word = 14, .show = kUnsigned},
    {.edit = 1490, .word = 15, .show = kTenthsFromUnsigned},
    {.edit = 1491, .word = 16, .show = kTenthsFromUnsigned},
    {.edit = 1492, .word = 17, .show = kUnsigned},
    {.edit = 1493, .word = 18, .show = kUnsigned},
};

// One request for the whole block, waited for with polls twice as far apart
// as a single read's.
constexpr BlockRead kBlock{.start = 0, .count = 19, .pollMs = 20, .fields = kFields};

}  // namespace

const PageTable MultiGasPage::kTable = {
    .templateId = 195,
    .className = "MultiGasPage",
    .rows = kRows,
    .realTimeBox = 1435,
    .refusal = "Please open the serial port first",
    .block = &kBlock,
    .readTexts = &kPageReadTexts,
};

MultiGasPage::MultiGasPage(Link& link) : TablePage(link, kTable) {}

}  // namespace veltrano::pages
