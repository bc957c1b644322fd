#pragma once

// The screen-capture framework of newer systems (from version 14): it lists the shareable windows and
// takes a picture of one window. Both calls answer later through their completion, once, on any
// thread; either may fail, and both fail without the screen-recording permission (Privacy.h). Any
// thread may call.

#include <cstdint>
#include <expected>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/Bitmap.h"
#include "platform/Geometry.h"

namespace tavelin {

struct ScreenCaptureError {
    std::string description;
    friend bool operator==(const ScreenCaptureError&, const ScreenCaptureError&) = default;
};

struct ShareableWindow {
    std::uint32_t windowID = 0;
    std::int64_t windowLayer = 0;
    std::optional<std::string> title;
    Rect frame;  // window server coordinates
    bool isOnScreen = true;
    friend bool operator==(const ShareableWindow&, const ShareableWindow&) = default;
};

struct ShareableContent {
    std::vector<ShareableWindow> windows;
    friend bool operator==(const ShareableContent&, const ShareableContent&) = default;
};

// A single picture of one window on its own (wherever it is, whatever covers it).
struct WindowScreenshotRequest {
    std::uint32_t windowID = 0;
    int width = 0;  // the picture's size in pixels
    int height = 0;
    bool bestResolution = true;
    bool showsCursor = false;
    friend bool operator==(const WindowScreenshotRequest&, const WindowScreenshotRequest&) = default;
};

template <class T>
using ScreenCaptureCompletion = std::move_only_function<void(std::expected<T, ScreenCaptureError>)>;

class ScreenCapture {
  public:
    virtual ~ScreenCapture() = default;

    virtual void getShareableContent(bool excludingDesktopWindows, bool onScreenWindowsOnly,
                                     ScreenCaptureCompletion<ShareableContent> completion) = 0;
    virtual void captureImage(WindowScreenshotRequest request, ScreenCaptureCompletion<Bitmap> completion) = 0;
};

}  // namespace tavelin
