#pragma once

// Draws the switcher's open panel to a PNG file after each change, for people and scripts driving the
// tavelin program: on the main-queue turn after the switcher announced changes (once per turn, never
// inside the announcement), through the panel's own views at the panel's screen's scale, replacing the
// file by atomic rename. Each picture gives one report line, "picture: PATH 736x352" (pixels); a file
// that cannot be written gives "error: ..." and the last picture stays. Nothing is drawn while the
// panel is closed. Main thread.

#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "mac/switcher/SwitcherController.h"
#include "platform/Screens.h"
#include "runtime/Scheduler.h"

namespace tavelin {

class PanelPictureWriter {
  public:
    using Print = std::function<void(const std::string& line)>;

    PanelPictureWriter(SwitcherController& switcher, Scheduler& scheduler, const Screens& screens,
                       std::filesystem::path path, Print report);
    PanelPictureWriter(const PanelPictureWriter&) = delete;
    PanelPictureWriter& operator=(const PanelPictureWriter&) = delete;
    ~PanelPictureWriter() { *alive_ = false; }

  private:
    void draw();
    double scale() const;

    SwitcherController& switcher_;
    Scheduler& scheduler_;
    const Screens& screens_;
    std::filesystem::path path_;
    Print report_;
    bool queued_ = false;
    Subscription changes_;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace tavelin
