#include "platform/sim/SimAccessibility.h"

#include <chrono>

#include "protocol/Overloaded.h"

namespace tavelin::sim {
namespace {

// Window elements of the world: above every element of a tree, the window's key and which part of it.
constexpr std::uint64_t kWindowElements = std::uint64_t{1} << 60;
enum class Part : std::uint64_t { window = 0, closeButton = 1, minimizeButton = 2, fullScreenButton = 3 };

std::uint64_t elementOf(SimWindowKey key, Part part) {
    return kWindowElements | (key << 2) | static_cast<std::uint64_t>(part);
}
SimWindowKey keyOf(std::uint64_t element) { return (element & ~kWindowElements) >> 2; }
Part partOf(std::uint64_t element) { return static_cast<Part>(element & 3); }

constexpr std::pair<std::string_view, Part> kButtons[] = {
    {"AXCloseButton", Part::closeButton},
    {"AXMinimizeButton", Part::minimizeButton},
    {"AXFullScreenButton", Part::fullScreenButton},
};

bool hasButton(const SimAXWindow& ax, Part part) {
    switch (part) {
    case Part::closeButton: return ax.closeButton;
    case Part::minimizeButton: return ax.minimizeButton;
    case Part::fullScreenButton: return ax.fullScreenButton;
    case Part::window: return true;
    }
    return false;
}

// A Boolean written as a Boolean or a number, as the platform takes both.
std::optional<bool> truth(const AXValue& value) {
    if (const auto* flag = std::get_if<bool>(&value)) return *flag;
    if (const auto* number = std::get_if<double>(&value)) return *number != 0;
    if (const auto* integer = std::get_if<std::int64_t>(&value)) return *integer != 0;
    return std::nullopt;
}

}  // namespace

std::expected<void, AXError> SimAccessibility::reach(const AXElement& element) const {
    if (!trusted_) return std::unexpected(AXError::apiDisabled);
    if (world_ != nullptr && !world_->isResponsive(element.processIdentifier)) {
        const auto timeout = std::chrono::duration<double>(world_->messagingTimeout(element));
        world_->scheduler().sleepBlocking(std::chrono::duration_cast<Duration>(timeout));
        return std::unexpected(AXError::cannotComplete);
    }
    return {};
}

std::expected<AXValue, AXError> SimAccessibility::copyAttributeValue(const AXElement& element,
                                                                     std::string_view attribute) const {
    mainThread_.check();
    if (auto reached = reach(element); !reached) return std::unexpected(reached.error());
    if (element.element >= kWindowElements) return worldAttribute(element, attribute);
    if (element.element == 0 && !roots_.contains(element.processIdentifier)) {
        return worldAttribute(element, attribute);
    }
    return treeAttribute(element, attribute);
}

std::expected<AXValue, AXError> SimAccessibility::treeAttribute(const AXElement& element,
                                                                std::string_view attribute) const {
    auto number = element.element;
    if (number == 0) number = roots_.at(element.processIdentifier);
    const auto found = elements_.find(number);
    if (found == elements_.end() || found->second.processIdentifier != element.processIdentifier) {
        return std::unexpected(AXError::invalidUIElement);
    }
    const auto value = found->second.attributes.find(attribute);
    if (value == found->second.attributes.end()) return std::unexpected(AXError::attributeUnsupported);
    return std::visit(
        Overloaded{
            [](const std::string& text) -> std::expected<AXValue, AXError> { return text; },
            [](double number) -> std::expected<AXValue, AXError> { return number; },
            [&](const std::vector<std::uint64_t>& children) -> std::expected<AXValue, AXError> {
                std::vector<AXElement> handles;
                for (const auto child : children) handles.push_back({element.processIdentifier, child});
                return handles;
            },
            [](AXError error) -> std::expected<AXValue, AXError> { return std::unexpected(error); },
        },
        value->second);
}

std::expected<SimWindowState, AXError> SimAccessibility::worldWindow(const AXElement& element) const {
    if (world_ == nullptr) return std::unexpected(AXError::invalidUIElement);
    const auto state = world_->state(keyOf(element.element));
    if (!state || !state->window.ax.accessible || state->window.ownerPID != element.processIdentifier ||
        !world_->isRunning(element.processIdentifier) || !hasButton(state->window.ax, partOf(element.element))) {
        return std::unexpected(AXError::invalidUIElement);
    }
    return *state;
}

std::expected<AXValue, AXError> SimAccessibility::worldAttribute(const AXElement& element,
                                                                 std::string_view attribute) const {
    if (element.element == 0) {
        // Not running: no process answers.
        if (world_ == nullptr || !world_->isRunning(element.processIdentifier)) {
            return std::unexpected(AXError::cannotComplete);
        }
        if (attribute == "AXRole") return AXValue(std::string("AXApplication"));
        if (attribute != "AXWindows") return std::unexpected(AXError::attributeUnsupported);
        std::vector<AXElement> windows;
        for (const auto key : world_->applicationWindows(element.processIdentifier)) {
            windows.push_back({element.processIdentifier, elementOf(key, Part::window)});
        }
        return AXValue(std::move(windows));
    }
    const auto state = worldWindow(element);
    if (!state) return std::unexpected(state.error());
    const auto& window = state->window;
    const auto part = partOf(element.element);
    if (part != Part::window) {
        if (attribute == "AXRole") return AXValue(std::string("AXButton"));
        for (const auto& [name, button] : kButtons) {
            if (button == part && attribute == "AXSubrole") return AXValue(std::string(name));
        }
        return std::unexpected(AXError::attributeUnsupported);
    }
    const auto& ax = window.ax;
    if (const auto found = ax.overrides.find(attribute); found != ax.overrides.end()) return found->second;
    const auto& bounds = window.bounds;
    if (attribute == "AXRole") return AXValue(ax.role);
    if (attribute == "AXSubrole" && !ax.subrole.empty()) return AXValue(ax.subrole);
    if (attribute == "AXTitle") return AXValue(window.name.value_or(""));
    if (attribute == "AXMinimized") return AXValue(ax.minimized);
    if (attribute == "AXHidden" && ax.hidden) return AXValue(*ax.hidden);
    if (attribute == "AXFullScreen") return AXValue(ax.fullScreen);
    if (attribute == "AXFrame") return AXValue(bounds);
    if (attribute == "AXPosition") return AXValue(Point{bounds.x, bounds.y});
    if (attribute == "AXSize") return AXValue(Size{bounds.width, bounds.height});
    if (attribute == "AXWindowNumber" && ax.exposesWindowNumber && window.number != 0) {
        return AXValue(static_cast<std::int64_t>(window.number));
    }
    for (const auto& [name, button] : kButtons) {
        if (attribute == name && hasButton(ax, button)) {
            return AXValue(AXElement{element.processIdentifier, elementOf(state->key, button)});
        }
    }
    return std::unexpected(AXError::attributeUnsupported);
}

std::expected<void, AXError> SimAccessibility::setAttributeValue(const AXElement& element, std::string_view attribute,
                                                                 const AXValue& value) const {
    mainThread_.check();
    if (trace_) trace_->record("Accessibility.set " + std::string(attribute));
    if (auto reached = reach(element); !reached) return reached;
    if (element.element < kWindowElements || partOf(element.element) != Part::window) {
        return std::unexpected(AXError::attributeUnsupported);
    }
    const auto state = worldWindow(element);
    if (!state) return std::unexpected(state.error());
    const auto& ax = state->window.ax;
    if (const auto refused = ax.refusals.find(attribute); refused != ax.refusals.end()) {
        return std::unexpected(refused->second);
    }
    const auto key = state->key;
    auto& world = *world_;
    if (attribute == "AXPosition" || attribute == "AXSize") {
        const auto* point = std::get_if<Point>(&value);
        const auto* size = std::get_if<Size>(&value);
        if (attribute == "AXPosition" ? point == nullptr : size == nullptr) {
            return std::unexpected(AXError::illegalArgument);
        }
        world.after(ax.writeLag, [&world, key, point = point ? std::optional(*point) : std::nullopt,
                                  size = size ? std::optional(*size) : std::nullopt] {
            auto current = world.window(key);
            if (!current) return;
            Rect bounds = current->bounds;
            if (point) bounds.x = point->x, bounds.y = point->y;
            if (size) bounds.width = size->width, bounds.height = size->height;
            world.setBounds(key, bounds);
        });
        return {};
    }
    if (attribute == "AXHidden") {
        const auto flag = truth(value);
        if (!flag) return std::unexpected(AXError::illegalArgument);
        world.setHidden(key, *flag);
        return {};
    }
    if (attribute == "AXMinimized" || attribute == "AXFullScreen") {
        const auto flag = truth(value);
        if (!flag) return std::unexpected(AXError::illegalArgument);
        const bool minimized = attribute == "AXMinimized";
        world.after(world.stateDelay(), [&world, key, minimized, flag = *flag] {
            if (minimized) {
                world.setMinimized(key, flag);
            } else {
                world.setFullScreen(key, flag);
            }
        });
        return {};
    }
    return std::unexpected(AXError::attributeUnsupported);
}

std::expected<void, AXError> SimAccessibility::performAction(const AXElement& element, std::string_view action) const {
    mainThread_.check();
    if (trace_) trace_->record("Accessibility.perform " + std::string(action));
    if (auto reached = reach(element); !reached) return reached;
    if (element.element < kWindowElements) return std::unexpected(AXError::actionUnsupported);
    const auto state = worldWindow(element);
    if (!state) return std::unexpected(state.error());
    const auto& ax = state->window.ax;
    const auto part = partOf(element.element);
    const bool known = part == Part::window ? action == "AXRaise" || action == "AXCancel" : action == "AXPress";
    if (!known) return std::unexpected(AXError::actionUnsupported);
    if (const auto refused = ax.refusals.find(action); refused != ax.refusals.end()) {
        return std::unexpected(refused->second);
    }
    const auto key = state->key;
    auto& world = *world_;
    if (action == "AXRaise") {
        world.raise(key);
        return {};
    }
    world.after(world.stateDelay(), [&world, key, part, fullScreen = ax.fullScreen] {
        switch (part) {
        case Part::window:
        case Part::closeButton: world.removeWindow(key); break;
        case Part::minimizeButton: world.setMinimized(key, true); break;
        case Part::fullScreenButton: world.setFullScreen(key, !fullScreen); break;
        }
    });
    return {};
}

std::expected<void, AXError> SimAccessibility::setMessagingTimeout(const AXElement& element, double seconds) const {
    mainThread_.check();
    if (!(seconds >= 0)) return std::unexpected(AXError::illegalArgument);
    if (world_ != nullptr) world_->setMessagingTimeout(element, seconds);
    return {};
}

std::expected<std::uint32_t, AXError> SimAccessibility::windowNumber(const AXElement& element) const {
    mainThread_.check();
    if (auto reached = reach(element); !reached) return std::unexpected(reached.error());
    if (element.element < kWindowElements || partOf(element.element) != Part::window) {
        return std::unexpected(AXError::failure);
    }
    const auto state = worldWindow(element);
    if (!state) return std::unexpected(state.error());
    const auto& window = state->window;
    if (window.ax.privateWindowNumber) return *window.ax.privateWindowNumber;
    if (window.number == 0) return std::unexpected(AXError::failure);
    return window.number;
}

std::optional<AXElement> SimAccessibility::windowElement(SimWindowKey key) const {
    if (world_ == nullptr) return std::nullopt;
    const auto window = world_->window(key);
    if (!window || !window->ax.accessible) return std::nullopt;
    return AXElement{window->ownerPID, elementOf(key, Part::window)};
}

void SimAccessibility::setTree(std::int32_t processIdentifier, const SimAXNode& root) {
    removeTree(processIdentifier);
    roots_[processIdentifier] = add(processIdentifier, root);
}

void SimAccessibility::removeTree(std::int32_t processIdentifier) {
    roots_.erase(processIdentifier);
    std::erase_if(elements_,
                  [&](const auto& entry) { return entry.second.processIdentifier == processIdentifier; });
}

std::uint64_t SimAccessibility::add(std::int32_t processIdentifier, const SimAXNode& node) {
    const auto number = nextElement_++;
    Element element{processIdentifier, {}};
    for (const auto& [name, value] : node.attributes) {
        element.attributes.emplace(
            name, std::visit(Overloaded{
                                 [](const std::string& text) -> Element::Attribute { return text; },
                                 [](double number) -> Element::Attribute { return number; },
                                 [&](const std::vector<SimAXNode>& children) -> Element::Attribute {
                                     std::vector<std::uint64_t> numbers;
                                     for (const auto& child : children)
                                         numbers.push_back(add(processIdentifier, child));
                                     return numbers;
                                 },
                                 [](AXError error) -> Element::Attribute { return error; },
                             },
                             value));
    }
    elements_.emplace(number, std::move(element));
    return number;
}

}  // namespace tavelin::sim
