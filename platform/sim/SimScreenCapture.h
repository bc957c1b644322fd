#pragma once

// The simulated screen-capture framework over the window world; it answers only while the
// simulated privacy state lets this process record the screen. The framework answers each call after
// its response delay, as an event of the world, so that a caller blocked waiting for it still gets the
// answer; answers still due when this object goes are dropped. Tests make calls fail and read what was
// asked. Main thread.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/ScreenCapture.h"
#include "platform/sim/SimPrivacy.h"
#include "platform/sim/SimWindowServer.h"
#include "runtime/Scheduler.h"

namespace tavelin::sim {

class SimScreenCapture final : public ScreenCapture {
  public:
    SimScreenCapture(SimWindowWorld& world, const SimPrivacy& privacy, Scheduler& scheduler)
        : world_(world), privacy_(privacy), scheduler_(scheduler) {}

    void getShareableContent(bool excludingDesktopWindows, bool onScreenWindowsOnly,
                             ScreenCaptureCompletion<ShareableContent> completion) override;
    void captureImage(WindowScreenshotRequest request, ScreenCaptureCompletion<Bitmap> completion) override;

    // --- The world's side ---

    // 50 ms unless set.
    void setResponseDelay(Duration delay) { responseDelay_ = delay; }
    // While set, the calls fail with that description.
    void setShareableContentError(std::optional<std::string> description) {
        shareableContentError_ = std::move(description);
    }
    void setScreenshotError(std::optional<std::string> description) { screenshotError_ = std::move(description); }

    int shareableContentRequests() const { return shareableContentRequests_; }
    const std::vector<WindowScreenshotRequest>& screenshotRequests() const { return screenshotRequests_; }

  private:
    std::expected<ShareableContent, ScreenCaptureError> shareableContent(bool excludingDesktopWindows,
                                                                         bool onScreenWindowsOnly) const;
    std::expected<Bitmap, ScreenCaptureError> screenshot(const WindowScreenshotRequest& request) const;
    template <class T, class Answer>
    void answerLater(ScreenCaptureCompletion<T> completion, Answer answer);

    SimWindowWorld& world_;
    const SimPrivacy& privacy_;
    Scheduler& scheduler_;
    Duration responseDelay_ = std::chrono::milliseconds(50);
    std::optional<std::string> shareableContentError_;
    std::optional<std::string> screenshotError_;
    int shareableContentRequests_ = 0;
    std::vector<WindowScreenshotRequest> screenshotRequests_;
    // Answers still due hold it weakly and are dropped once it is gone.
    std::shared_ptr<int> alive_ = std::make_shared<int>();
};

}  // namespace tavelin::sim
