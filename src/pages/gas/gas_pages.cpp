// The pages of this category: template, class, "Real Time" box and how to build each.
#include "pages/page_registry.h"

namespace veltrano::pages {
namespace {

const PageInfo kPages[] = {
    {144, "LampPage", 1064, "Real Time", nullptr},
    {145, "Co2Page", 1015, "Teal Time", nullptr},
    {146, "CoPage", 1069, "Real Time", nullptr},
    {147, "TvocPage", 1072, "Real Time", nullptr},
    {148, "So2Page", 1079, "Real Time", nullptr},
    {149, "No2Page", 1086, "Real Time", nullptr},
    {150, "O2Page", 1015, "Real Time", nullptr},
    {151, "H2sPage", 1015, "Real Time", nullptr},
    {152, "Nh3Page", 1015, "Real Time", nullptr},
    {154, "O3Page", 1015, "Real Time", nullptr},
    {195, "MultiGasPage", 1435, "Real Time", nullptr},
    {201, "HchoPage", 1605, "Real Time", nullptr},
    {202, "Ch4Page", 1613, "Real Time", nullptr},
    {211, "Sf6Page", 1659, "Real Time", nullptr},
};

}  // namespace

std::span<const PageInfo> GasPages() { return kPages; }

}  // namespace veltrano::pages
