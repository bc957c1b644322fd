#pragma once

// The user-notification centre, as far as the program asks it about its authorisation. Its answers
// arrive later, on a queue of the system's (never the caller's thread, never inside the call):
// callers hand them to the main queue themselves.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace tavelin {

// The platform's raw authorisation statuses; a system may report any other number too.
enum class NotificationAuthorizationStatus : std::int64_t {
    notDetermined = 0,
    denied = 1,
    authorized = 2,
    provisional = 3,
    ephemeral = 4,
};

// Authorisation options, combined as bits.
inline constexpr std::uint32_t kNotificationOptionBadge = 1u << 0;
inline constexpr std::uint32_t kNotificationOptionSound = 1u << 1;
inline constexpr std::uint32_t kNotificationOptionAlert = 1u << 2;

class UserNotificationCenter {
  public:
    using SettingsHandler = std::move_only_function<void(NotificationAuthorizationStatus)>;
    // Whether authorisation was granted, and the system's error, if one stopped the request.
    using AuthorizationHandler =
        std::move_only_function<void(bool granted, std::optional<std::string> error)>;

    virtual ~UserNotificationCenter() = default;

    virtual void getNotificationSettings(SettingsHandler handler) = 0;
    // The user is asked only while the status is not determined.
    virtual void requestAuthorization(std::uint32_t options, AuthorizationHandler handler) = 0;
};

}  // namespace tavelin
