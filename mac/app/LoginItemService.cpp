#include "mac/app/LoginItemService.h"

namespace tavelin {

void LoginItemService::setEnabled(bool enabled) {
    const auto result = enabled ? loginItems_.registerMainApp() : loginItems_.unregisterMainApp();
    if (!result) log_.log("Login item: " + result.error().localizedDescription);
}

}  // namespace tavelin
