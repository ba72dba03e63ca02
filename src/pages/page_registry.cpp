#include "pages/page_registry.h"

#include <stdexcept>
#include <vector>

namespace veltrano::pages {
namespace {

const std::vector<PageInfo>& Pages() {
    static const std::vector<PageInfo> all = [] {
        std::vector<PageInfo> v;
        for (auto folder :
             {TemHumPages, AlarmPages, LightingPages, GasPages, WindPages, SoilPages, WeatherPages, CurrentPages,
              LampblackPages, WaterGaugePages, TiltPages, PhPages, EcPages, WaterQualityPages})
            for (const PageInfo& p : folder()) v.push_back(p);
        return v;
    }();
    return all;
}

}  // namespace

std::span<const PageInfo> AllPages() { return Pages(); }

const PageInfo* FindPage(int templateId) {
    for (const PageInfo& p : Pages())
        if (p.templateId == templateId) return &p;
    return nullptr;
}

const PageInfo* FindPage(const std::string& className) {
    for (const PageInfo& p : Pages())
        if (className == p.className) return &p;
    return nullptr;
}

std::unique_ptr<DevicePage> MakePage(int templateId, Link& link) {
    const PageInfo* info = FindPage(templateId);
    if (!info) throw std::logic_error("no page for template " + std::to_string(templateId));
    return info->make(link);
}

}  // namespace veltrano::pages
