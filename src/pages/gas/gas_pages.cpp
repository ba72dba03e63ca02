// The pages of this category; each says its template, class and "Real Time" box in its table.
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

std::span<const PageInfo> GasPages() {
    static const PageInfo pages[] = {
        Entry<LampPage>(),     Entry<Co2Page>(),  Entry<CoPage>(),  Entry<TvocPage>(), Entry<So2Page>(),
        Entry<No2Page>(),      Entry<O2Page>(),   Entry<H2sPage>(), Entry<Nh3Page>(),  Entry<O3Page>(),
        Entry<MultiGasPage>(), Entry<HchoPage>(), Entry<Ch4Page>(), Entry<Sf6Page>(),
    };
    return pages;
}

}  // namespace veltrano::pages
