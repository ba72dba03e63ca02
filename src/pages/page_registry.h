#pragma once
// Every device page by dialog template: class name, "Real Time" box and how
// to build it. Containers and single-page categories build their pages here.
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
    std::unique_ptr<DevicePage> (*make)(Link& link);  // nullptr: not built yet
};

std::span<const PageInfo> AllPages();
const PageInfo* FindPage(int templateId);
const PageInfo* FindPage(const std::string& className);
// The page for a template: the real one, or a placeholder of the right class.
std::unique_ptr<DevicePage> MakePage(int templateId, Link& link);

}  // namespace veltrano::pages
