#include "mac/windows/WindowServerQueries.h"

#include <cmath>
#include <limits>
#include <map>
#include <unordered_map>

#include "mac/windows/WindowGeometry.h"
#include "protocol/UnicodeText.h"

namespace tavelin {
namespace {

// A number as a double: an integer or a real; none for any other type.
std::optional<double> number(const PlistValue* value) {
    if (value == nullptr) return std::nullopt;
    if (const auto* integer = value->getIf<std::int64_t>()) return static_cast<double>(*integer);
    if (const auto* real = value->getIf<double>()) return *real;
    return std::nullopt;
}

// A whole number within [low, high]: an integer, or a real without a fraction.
std::optional<std::int64_t> wholeNumber(const PlistValue* value, std::int64_t low, std::int64_t high) {
    if (value == nullptr) return std::nullopt;
    if (const auto* integer = value->getIf<std::int64_t>()) {
        if (*integer < low || *integer > high) return std::nullopt;
        return *integer;
    }
    if (const auto* real = value->getIf<double>()) {
        if (!std::isfinite(*real) || std::trunc(*real) != *real || *real < static_cast<double>(low) ||
            *real > static_cast<double>(high)) {
            return std::nullopt;
        }
        return static_cast<std::int64_t>(*real);
    }
    return std::nullopt;
}

const PlistArray* entries(const std::optional<PlistValue>& list) { return list ? list->getIf<PlistArray>() : nullptr; }

std::set<std::uint32_t> onScreenNumbers(const PlistArray* all) {
    std::set<std::uint32_t> numbers;
    if (all == nullptr) return numbers;
    for (const auto& entry : *all) {
        const auto* info = entry.getIf<PlistDict>();
        if (info == nullptr) continue;
        const auto* flag = info->find(kCGWindowIsOnscreen);
        bool onScreen = false;
        if (const auto* boolean = flag ? flag->getIf<bool>() : nullptr) {
            onScreen = *boolean;
        } else if (const auto value = number(flag)) {
            onScreen = *value != 0;
        }
        const auto found = windowNumber(*info);
        if (onScreen && found) numbers.insert(*found);
    }
    return numbers;
}

}  // namespace

struct WindowServerQueries::PassAnswers {
    std::map<WindowListOption, std::shared_ptr<const PlistArray>> lists;  // a null answer is kept too
    std::optional<std::unordered_map<std::uint32_t, const PlistDict*>> entriesByNumber;  // the first of each
    std::optional<std::set<std::uint32_t>> onScreen;
    std::shared_ptr<const std::vector<NormalWindow>> normalWindows;
};

WindowServerQueries WindowServerQueries::forOnePass(const WindowServer& windowServer, ScreenSupport screens) {
    WindowServerQueries queries(windowServer, screens);
    queries.pass_ = std::make_shared<PassAnswers>();
    return queries;
}

std::shared_ptr<const PlistArray> WindowServerQueries::windowList(WindowListOption option) const {
    if (pass_) {
        if (const auto kept = pass_->lists.find(option); kept != pass_->lists.end()) return kept->second;
    }
    auto answer = windowServer_.copyWindowInfo(option, 0);
    auto* array = answer ? answer->getIf<PlistArray>() : nullptr;
    auto list = array ? std::make_shared<const PlistArray>(std::move(*array)) : nullptr;
    if (pass_) pass_->lists.emplace(option, list);
    return list;
}

const PlistDict* WindowServerQueries::passEntry(std::uint32_t windowNumber) const {
    auto& index = pass_->entriesByNumber;
    if (!index) {
        index.emplace();
        // Every window is in the complete list, as it would be in the list asked for it alone.
        if (const auto all = windowList(WindowListOption::all)) {
            for (const auto& entry : *all) {
                const auto* info = entry.getIf<PlistDict>();
                const auto number = info ? tavelin::windowNumber(*info) : std::nullopt;
                if (number) index->emplace(*number, info);
            }
        }
    }
    const auto found = index->find(windowNumber);
    return found == index->end() ? nullptr : found->second;
}

std::optional<std::uint32_t> windowNumber(const PlistDict& info) {
    const auto value = wholeNumber(info.find(kCGWindowNumber), 0, std::numeric_limits<std::uint32_t>::max());
    return value ? std::optional(static_cast<std::uint32_t>(*value)) : std::nullopt;
}

std::optional<std::int32_t> windowOwnerPID(const PlistDict& info) {
    const auto value = wholeNumber(info.find(kCGWindowOwnerPID), std::numeric_limits<std::int32_t>::min(),
                                   std::numeric_limits<std::int32_t>::max());
    return value ? std::optional(static_cast<std::int32_t>(*value)) : std::nullopt;
}

std::optional<std::int64_t> windowLayer(const PlistDict& info) {
    return wholeNumber(info.find(kCGWindowLayer), std::numeric_limits<std::int32_t>::min(),
                       std::numeric_limits<std::int32_t>::max());
}

std::optional<double> windowBoundsValue(const PlistDict& info, std::string_view key) {
    const auto* bounds = info.find(kCGWindowBounds);
    const auto* dictionary = bounds ? bounds->getIf<PlistDict>() : nullptr;
    return dictionary ? number(dictionary->find(key)) : std::nullopt;
}

std::optional<PlistDict> WindowServerQueries::cgWindowInfo(std::uint32_t windowNumber) const {
    if (pass_) {
        const auto* info = passEntry(windowNumber);
        return info ? std::optional(*info) : std::nullopt;
    }
    const auto list = windowServer_.copyWindowInfo(WindowListOption::includingWindow, windowNumber);
    const auto* all = entries(list);
    if (all == nullptr) return std::nullopt;
    for (const auto& entry : *all) {
        const auto* info = entry.getIf<PlistDict>();
        if (info != nullptr && tavelin::windowNumber(*info) == windowNumber) return *info;
    }
    return std::nullopt;
}

std::optional<std::int32_t> WindowServerQueries::cgWindowOwnerPID(std::uint32_t windowNumber) const {
    const auto info = cgWindowInfo(windowNumber);
    return info ? windowOwnerPID(*info) : std::nullopt;
}

std::optional<WindowFrame> WindowServerQueries::cgWindowFrame(std::uint32_t windowNumber) const {
    const auto info = cgWindowInfo(windowNumber);
    const auto* bounds = info ? info->find(kCGWindowBounds) : nullptr;
    return bounds ? windowFrame(*bounds) : std::nullopt;
}

std::optional<std::string> WindowServerQueries::cgWindowName(std::uint32_t windowNumber) const {
    const auto info = cgWindowInfo(windowNumber);
    const auto* value = info ? info->find(kCGWindowName) : nullptr;
    const auto* name = value ? value->getIf<std::string>() : nullptr;
    if (name == nullptr) return std::nullopt;
    auto trimmed = trimmingWhitespaceAndNewlines(*name);
    return trimmed.empty() ? std::nullopt : std::optional(std::move(trimmed));
}

std::optional<WindowFrame> WindowServerQueries::windowFrame(const PlistValue& fromCGWindowBounds) const {
    const auto* bounds = fromCGWindowBounds.getIf<PlistDict>();
    if (bounds == nullptr) return std::nullopt;
    const Rect rect{number(bounds->find("X")).value_or(0), number(bounds->find("Y")).value_or(0),
                    number(bounds->find("Width")).value_or(0), number(bounds->find("Height")).value_or(0)};
    // A size that is not finite makes no frame either.
    if (!(rect.width > 0) || !(rect.height > 0) || !std::isfinite(rect.x) || !std::isfinite(rect.y) ||
        !std::isfinite(rect.width) || !std::isfinite(rect.height)) {
        return std::nullopt;
    }
    return cocoaFrame(rect, screens_.primaryMaxY());
}

std::set<std::uint32_t> WindowServerQueries::cgWindowsOrderedOnScreen() const {
    return pass_ ? passOnScreen()
                 : onScreenNumbers(windowList(WindowListOption::excludeDesktopElements).get());
}

bool WindowServerQueries::isOrderedOnScreen(std::uint32_t windowNumber) const {
    return pass_ ? passOnScreen().contains(windowNumber) : cgWindowsOrderedOnScreen().contains(windowNumber);
}

std::shared_ptr<const std::vector<WindowServerQueries::NormalWindow>> WindowServerQueries::normalWindows()
    const {
    if (pass_ && pass_->normalWindows) return pass_->normalWindows;
    auto windows = std::make_shared<std::vector<NormalWindow>>();
    if (const auto all = windowList(WindowListOption::all)) {
        for (const auto& entry : *all) {
            const auto* info = entry.getIf<PlistDict>();
            if (info == nullptr || windowLayer(*info) != 0) continue;
            const auto owner = windowOwnerPID(*info);
            const auto number = windowNumber(*info);
            const auto* bounds = info->find(kCGWindowBounds);
            const auto frame =
                owner && number && *number != 0 && bounds ? windowFrame(*bounds) : std::nullopt;
            if (frame) windows->push_back(NormalWindow{*number, *owner, *frame});
        }
    }
    if (pass_) pass_->normalWindows = windows;
    return windows;
}

const std::set<std::uint32_t>& WindowServerQueries::passOnScreen() const {
    if (!pass_->onScreen)
        pass_->onScreen = onScreenNumbers(windowList(WindowListOption::excludeDesktopElements).get());
    return *pass_->onScreen;
}

}  // namespace tavelin
