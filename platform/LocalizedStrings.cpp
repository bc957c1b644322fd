#include "platform/LocalizedStrings.h"

#include <algorithm>
#include <utility>

namespace tavelin {
namespace {

constexpr std::pair<std::string_view, std::string_view> kEnglish[] = {
    {"window.untitled", "Untitled"},
    {"window.thumbnail.needScreenRecording", "Allow Screen Recording to see window previews."},
    {"window.thumbnail.unavailable", "No preview available for this window."},
    {"quit.forceConfirm.message", "“%@” is still running. Do you want to force it to quit? Unsaved changes will be lost."},
    {"quit.forceConfirm.yes", "Force Quit"},
    {"quit.forceConfirm.no", "Cancel"},
};

}  // namespace

std::string_view localizedString(std::string_view key) {
    const auto found =
        std::ranges::find(kEnglish, key, &std::pair<std::string_view, std::string_view>::first);
    return found == std::end(kEnglish) ? key : found->second;
}

}  // namespace tavelin
