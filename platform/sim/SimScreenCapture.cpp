#include "platform/sim/SimScreenCapture.h"

#include <algorithm>

namespace tavelin::sim {

template <class T, class Answer>
void SimScreenCapture::answerLater(ScreenCaptureCompletion<T> completion, Answer answer) {
    // The answer is made when it is delivered, from the world as it is then.
    scheduler_.scheduleWorldEvent(responseDelay_, [alive = std::weak_ptr<int>(alive_), answer = std::move(answer),
                                                   completion = std::move(completion)]() mutable {
        if (alive.expired()) return;
        completion(answer());
    });
}

void SimScreenCapture::getShareableContent(bool excludingDesktopWindows, bool onScreenWindowsOnly,
                                           ScreenCaptureCompletion<ShareableContent> completion) {
    ++shareableContentRequests_;
    answerLater(std::move(completion),
                [this, excludingDesktopWindows, onScreenWindowsOnly] {
                    return shareableContent(excludingDesktopWindows, onScreenWindowsOnly);
                });
}

void SimScreenCapture::captureImage(WindowScreenshotRequest request, ScreenCaptureCompletion<Bitmap> completion) {
    screenshotRequests_.push_back(request);
    answerLater(std::move(completion), [this, request] { return screenshot(request); });
}

std::expected<ShareableContent, ScreenCaptureError> SimScreenCapture::shareableContent(
    bool excludingDesktopWindows, bool onScreenWindowsOnly) const {
    if (!privacy_.screenCaptureAccessNow()) {
        return std::unexpected(ScreenCaptureError{"Screen recording is not allowed"});
    }
    if (shareableContentError_) return std::unexpected(ScreenCaptureError{*shareableContentError_});
    ShareableContent content;
    for (const auto& [key, window, onScreen, scale] : world_.windows()) {
        if (!window.listed || (onScreenWindowsOnly && !onScreen)) continue;
        if (excludingDesktopWindows && window.layer == kDesktopWindowLayer) continue;
        content.windows.push_back(ShareableWindow{window.number, window.layer, window.name, window.bounds, onScreen});
    }
    return content;
}

std::expected<Bitmap, ScreenCaptureError> SimScreenCapture::screenshot(const WindowScreenshotRequest& request) const {
    if (!privacy_.screenCaptureAccessNow()) {
        return std::unexpected(ScreenCaptureError{"Screen recording is not allowed"});
    }
    if (screenshotError_) return std::unexpected(ScreenCaptureError{*screenshotError_});
    const auto window = world_.window(request.windowID);
    if (!window || !window->listed) return std::unexpected(ScreenCaptureError{"The window is no longer available"});
    auto picture = drawWindow(*window, request.width, request.height);
    if (!picture) return std::unexpected(ScreenCaptureError{"The stream could not produce a frame"});
    return std::move(*picture);
}

}  // namespace tavelin::sim
