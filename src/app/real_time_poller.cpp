#include "app/real_time_poller.h"

#include "app/main_dialog.h"

namespace veltrano::app {

pages::DevicePage* RealTimePoller::Tick() {
    pages::DevicePage* page = main_.VisiblePage();
    if (!page || !page->RealTimeChecked()) return nullptr;
    page->RunRealTimeReadSet();
    return page;
}

}  // namespace veltrano::app
