#include "app/config_app.h"

#include "app/main_ids.h"

namespace veltrano::app {

bool StartPlatform() { return true; }

ConfigApp::ConfigApp(MainOptions options)
    : link_(std::make_unique<Link>()), main_(std::make_unique<MainDialog>(*link_, std::move(options))) {}

ConfigApp::~ConfigApp() {
    main_.reset();  // stops the receive thread
    link_.reset();  // closes the port if it is open
}

bool ConfigApp::Run(ui::Host& host, const std::function<int(MainDialog&)>& runModal) {
    main_->SetHost(&host);
    if (!StartPlatform()) {
        main_->MessageBox(kSocketsFailedText, "", ui::Icon::None, ui::Buttons::Ok);
        return false;
    }
    main_->Initialize();
    runModal(*main_);
    return true;
}

}  // namespace veltrano::app
