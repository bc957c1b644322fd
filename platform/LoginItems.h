#pragma once

// The program's own login item: registered, the system opens the program when the user logs in.
// Registering a registered item, or unregistering one that is not, is left to the system to answer.
// Main thread.

#include <expected>
#include <string>

namespace tavelin {

struct LoginItemError {
    std::string localizedDescription;
    friend bool operator==(const LoginItemError&, const LoginItemError&) = default;
};

class LoginItems {
  public:
    virtual ~LoginItems() = default;

    virtual std::expected<void, LoginItemError> registerMainApp() = 0;
    virtual std::expected<void, LoginItemError> unregisterMainApp() = 0;
};

}  // namespace tavelin
