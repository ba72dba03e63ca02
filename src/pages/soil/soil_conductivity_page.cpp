#include "pages/soil/soil_conductivity_page.h"

namespace veltrano::pages {
namespace {

// Conductivity, salinity and TDS are whole numbers shown with one decimal.
constexpr ReadOp kWholeTenths = Scaled(1.0, 1);

constexpr Row kRows[] = {
    {.edit = 1392, .label = "Humidity", .reg = 0, .read = kTenths, .inquire = 1396, .poll = 1},
    {.edit = 1393, .label = "Temperature", .reg = 1, .read = kTenths, .inquire = 1397, .poll = 1},
    {.edit = 1394, .label = "Conductivity", .reg = 2, .read = kWholeTenths, .inquire = 1369, .poll = 1},
    {.edit = 1395, .label = "Salinity", .reg = 3, .read = kWholeTenths, .inquire = 1371, .poll = 1},
    {.edit = 1372, .label = "TDS", .reg = 4, .read = kWholeTenths, .inquire = 1373, .poll = 1},
    {.edit = 1374, .label = "Conductivity Coef", .reg = 34, .read = kUnsigned, .inquire = 1375,
     .write = kWriteInteger, .setup = 1376, .portCheck = true},
    {.edit = 1377, .label = "Salinity Coef", .reg = 35, .read = kUnsigned, .inquire = 1378,
     .write = kWriteInteger, .setup = 1379, .portCheck = true},
    {.edit = 1380, .label = "TDS Coef", .reg = 36, .read = kUnsigned, .inquire = 1381,
     .write = kWriteInteger, .setup = 1382, .portCheck = true},
    {.edit = 1383, .label = "Tem Cali", .reg = 80, .read = kTenths, .inquire = 1386,
     .write = kWriteTenths, .setup = 1387, .portCheck = true},
    {.edit = 1384, .label = "Hum Cali", .reg = 81, .read = kTenths, .inquire = 1388,
     .write = kWriteTenths, .setup = 1389, .portCheck = true},
    {.edit = 1385, .label = "Conductivity Cali", .reg = 82, .read = kUnsigned, .inquire = 1390,
     .write = WriteScaled(1), .setup = 1391, .portCheck = true},
    // Built with its handlers, never shown: the standard a calibration is run against.
    {.edit = 1424, .label = "标准数值:", .reg = 1003, .read = kUnsigned, .inquire = 1422,
     .write = kWriteInteger, .setup = 1423, .hidden = true, .disabled = true, .inquireText = "读取", .setupText = "设置",
     .action = true},
};

// The hidden row stays out of the "Real Time" lock.
constexpr int kGoverned[] = {1396, 1397, 1369, 1371, 1373, 1375, 1376, 1378, 1379,
                             1381, 1382, 1386, 1387, 1388, 1389, 1390, 1391};

}  // namespace

const PageTable SoilConductivityPage::kTable = {
    .templateId = 187,
    .className = "SoilConductivityPage",
    .rows = kRows,
    .realTimeBox = 1370,
    .stopsAfterRefusal = true,
    .governed = kGoverned,
};

SoilConductivityPage::SoilConductivityPage(Link& link) : TablePage(link, kTable) {}

}  // namespace veltrano::pages
