#pragma once

// The window-action pipeline of the switcher and the paired devices: a value holding what every action
// needs (the window list service, the settings and the display resolver), with no state of its own.
// Held by the service container and handed to the server.

#include <memory>

#include "mac/settings/AppSettings.h"
#include "mac/windows/WindowActionDisplayResolver.h"
#include "mac/windows/WindowListService.h"

namespace tavelin {

class WindowActionService {
  public:
    WindowActionService(std::shared_ptr<WindowListService> listService, AppSettings& settings,
                        std::shared_ptr<WindowActionDisplayResolver> displayResolver)
        : listService_(std::move(listService)),
          settings_(&settings),
          displayResolver_(std::move(displayResolver)) {}

    WindowListService& listService() const { return *listService_; }
    AppSettings& settings() const { return *settings_; }
    WindowActionDisplayResolver& displayResolver() const { return *displayResolver_; }

  private:
    std::shared_ptr<WindowListService> listService_;
    AppSettings* settings_;
    std::shared_ptr<WindowActionDisplayResolver> displayResolver_;
};

}  // namespace tavelin
