#pragma once
// Every device page by dialog template: class name, "Real Time" box (as its
// table says them) and how to build it. Containers and single-page
// categories build their pages here.
#include <memory>
#include <span>
#include <string>

#include "pages/device_page.h"

namespace veltrano::pages {

struct PageInfo {
    int templateId;
    const char* className;
    int realTimeBox;
    const char* realTimeLabel;
    std::unique_ptr<DevicePage> (*make)(Link& link);
};

std::span<const PageInfo> AllPages();
const PageInfo* FindPage(int templateId);
const PageInfo* FindPage(const std::string& className);
// The page for a template.
std::unique_ptr<DevicePage> MakePage(int templateId, Link& link);

template <class T>
std::unique_ptr<DevicePage> Make(Link& link) {
    return std::make_unique<T>(link);
}

// A page's entry, from its own table.
template <class T>
PageInfo Entry() {
    return PageInfo{T::kTable.templateId, T::kTable.className, T::kTable.realTimeBox, T::kTable.realTimeLabel, Make<T>};
}

// Each category folder lists its own pages in pages/<folder>/<folder>_pages.cpp.
std::span<const PageInfo> TemHumPages();
std::span<const PageInfo> AlarmPages();
std::span<const PageInfo> LightingPages();
std::span<const PageInfo> GasPages();
std::span<const PageInfo> WindPages();
std::span<const PageInfo> SoilPages();
std::span<const PageInfo> WeatherPages();
std::span<const PageInfo> CurrentPages();
std::span<const PageInfo> LampblackPages();
std::span<const PageInfo> WaterGaugePages();
std::span<const PageInfo> TiltPages();
std::span<const PageInfo> PhPages();
std::span<const PageInfo> EcPages();
std::span<const PageInfo> WaterQualityPages();

}  // namespace veltrano::pages
