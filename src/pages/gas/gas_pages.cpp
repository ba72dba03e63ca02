// The pages of this category: template, class, "Real Time" box and how to build each.
#include "pages/gas/ch4_page.h"
#include "pages/gas/co2_page.h"
#include "pages/gas/co_page.h"
#include "pages/gas/h2s_page.h"
#include "pages/gas/hcho_page.h"
#include "pages/gas/lamp_page.h"
#include "pages/gas/multi_gas_page.h"
#include "pages/gas/nh3_page.h"
#include "pages/gas/no2_page.h"
#include "pages/gas/o2_page.h"
#include "pages/gas/o3_page.h"
#include "pages/gas/sf6_page.h"
#include "pages/gas/so2_page.h"
#include "pages/gas/tvoc_page.h"
#include "pages/page_registry.h"

namespace veltrano::pages {
namespace {

const PageInfo kPages[] = {
    {144, "LampPage", 1064, "Real Time", Make<LampPage>},
    {145, "Co2Page", 1015, "Teal Time", Make<Co2Page>},
    {146, "CoPage", 1069, "Real Time", Make<CoPage>},
    {147, "TvocPage", 1072, "Real Time", Make<TvocPage>},
    {148, "So2Page", 1079, "Real Time", Make<So2Page>},
    {149, "No2Page", 1086, "Real Time", Make<No2Page>},
    {150, "O2Page", 1015, "Real Time", Make<O2Page>},
    {151, "H2sPage", 1015, "Real Time", Make<H2sPage>},
    {152, "Nh3Page", 1015, "Real Time", Make<Nh3Page>},
    {154, "O3Page", 1015, "Real Time", Make<O3Page>},
    {195, "MultiGasPage", 1435, "Real Time", Make<MultiGasPage>},
    {201, "HchoPage", 1605, "Real Time", Make<HchoPage>},
    {202, "Ch4Page", 1613, "Real Time", Make<Ch4Page>},
    {211, "Sf6Page", 1659, "Real Time", Make<Sf6Page>},
};

}  // namespace

std::span<const PageInfo> GasPages() { return kPages; }

}  // namespace veltrano::pages
