#pragma once

// The program's own application object: its activation policy (whether it shows in the Dock and has a
// menu bar; the bundle makes it an accessory), bringing it to the front, ending it and starting it
// again from another place. The platform tells the delegate when launching has finished and when the
// application is about to end. Main thread.

#include <filesystem>
#include <string_view>

#include "platform/RunningApplication.h"

namespace tavelin {

// Posted on the program's default centre when the program becomes the frontmost application.
inline constexpr std::string_view kApplicationDidBecomeActive = "NSApplicationDidBecomeActiveNotification";

class ApplicationDelegate {
  public:
    virtual ~ApplicationDelegate() = default;

    virtual void applicationDidFinishLaunching() = 0;
    virtual void applicationWillTerminate() = 0;
};

class Application {
  public:
    virtual ~Application() = default;

    virtual RawActivationPolicy activationPolicy() const = 0;
    virtual void setActivationPolicy(RawActivationPolicy policy) = 0;
    // Brings the application to the front, even while another one is active when asked.
    virtual void activate(bool ignoringOtherApps) = 0;

    // Not owned; none clears it.
    virtual void setDelegate(ApplicationDelegate* delegate) = 0;
    virtual ApplicationDelegate* delegate() const = 0;

    // Tells the delegate that the application will end, then ends its loop; the process then exits.
    virtual void terminate() = 0;
    // Starts the application from the bundle at `bundlePath` once this process is gone, and terminates.
    virtual void relaunch(const std::filesystem::path& bundlePath) = 0;
};

}  // namespace tavelin
