#pragma once

// The simulated Accessibility interface: a trust flag, per process a tree of elements whose attributes
// the world (the simulated Dock) or a test sets, and the window world's applications and windows.
// Installing a new tree for a process retires the elements of the old one: their handles answer
// `invalidUIElement`, as elements of a changed user interface do. An untrusted process gets
// `apiDisabled` for every call.
//
// The window world (SimWindowWorld.h) answers for every running application without a tree of its own:
// its application element has "AXRole" and "AXWindows" (its windows in its order); each window element
// has "AXRole", "AXSubrole", "AXTitle", "AXMinimized", "AXHidden" (only when the window has the flag),
// "AXFullScreen", "AXFrame", "AXPosition", "AXSize", "AXWindowNumber" (when exposed) and its buttons
// "AXCloseButton", "AXMinimizeButton" and "AXFullScreenButton", with the window's overrides on top.
// Writes: "AXPosition" and "AXSize" move the window (after its write lag), "AXMinimized" and
// "AXFullScreen" change it after the world's state delay. Actions: "AXRaise" raises the window at once,
// "AXPress" on a button closes, minimises or toggles full screen and "AXCancel" closes, after the state
// delay. A window's refusals answer their error instead. A call on an element of an unresponsive
// application blocks for the element's messaging timeout and fails with `cannotComplete`.
//
// Main thread.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <unordered_map>
#include <variant>
#include <vector>

#include "platform/Accessibility.h"
#include "platform/sim/SimCallTrace.h"
#include "platform/sim/SimWindowWorld.h"
#include "runtime/SequenceChecker.h"

namespace tavelin::sim {

// One element of a tree as it is built: its attributes by name. An attribute holds a text, a number, a
// list of elements (its children) or the error that reading it gives.
struct SimAXNode {
    using Attribute = std::variant<std::string, double, std::vector<SimAXNode>, AXError>;
    std::map<std::string, Attribute, std::less<>> attributes;

    SimAXNode& set(std::string name, Attribute value) {
        attributes.insert_or_assign(std::move(name), std::move(value));
        return *this;
    }
};

class SimAccessibility final : public Accessibility {
  public:
    explicit SimAccessibility(SequenceChecker mainThread) : mainThread_(mainThread) {}

    bool isProcessTrusted() const override {
        mainThread_.check();
        if (trace_) trace_->record("Accessibility.isProcessTrusted");
        return trusted_;
    }
    bool isProcessTrustedWithOptions(bool prompt) const override {
        mainThread_.check();
        if (trace_) trace_->record(prompt ? "Accessibility.isProcessTrustedWithOptions prompt"
                                          : "Accessibility.isProcessTrustedWithOptions");
        if (prompt && !trusted_) ++prompts_;
        return trusted_;
    }
    std::expected<AXValue, AXError> copyAttributeValue(const AXElement& element,
                                                       std::string_view attribute) const override;
    std::expected<void, AXError> setAttributeValue(const AXElement& element, std::string_view attribute,
                                                   const AXValue& value) const override;
    std::expected<void, AXError> performAction(const AXElement& element, std::string_view action) const override;
    std::expected<void, AXError> setMessagingTimeout(const AXElement& element, double seconds) const override;
    std::expected<std::uint32_t, AXError> windowNumber(const AXElement& element) const override;

    void setProcessTrusted(bool trusted) { trusted_ = trusted; }
    // The trust as the world knows it; asking here records nothing.
    bool isTrustedNow() const { return trusted_; }
    // How often the system showed its request for trust.
    int trustPromptCount() const { return prompts_; }
    // The world whose windows it shows, once the world has set it.
    void setWindowWorld(SimWindowWorld* world) { world_ = world; }
    // The element of a window of the world (none for a window Accessibility does not see).
    std::optional<AXElement> windowElement(SimWindowKey key) const;
    // The world's call trace, once the world has set it.
    void setCallTrace(SimCallTrace* trace) { trace_ = trace; }
    // `root` becomes the application element of the process.
    void setTree(std::int32_t processIdentifier, const SimAXNode& root);
    // The process has no Accessibility elements any more (it quit).
    void removeTree(std::int32_t processIdentifier);

  private:
    struct Element {
        std::int32_t processIdentifier = 0;
        using Attribute = std::variant<std::string, double, std::vector<std::uint64_t>, AXError>;
        std::map<std::string, Attribute, std::less<>> attributes;
    };

    std::uint64_t add(std::int32_t processIdentifier, const SimAXNode& node);
    // The checks every call makes first: trust, and an application that answers in time.
    std::expected<void, AXError> reach(const AXElement& element) const;
    std::expected<AXValue, AXError> treeAttribute(const AXElement& element, std::string_view attribute) const;
    std::expected<AXValue, AXError> worldAttribute(const AXElement& element, std::string_view attribute) const;
    std::expected<SimWindowState, AXError> worldWindow(const AXElement& element) const;

    SequenceChecker mainThread_;
    bool trusted_ = false;
    mutable int prompts_ = 0;  // the request is the system's, asked through a query
    SimCallTrace* trace_ = nullptr;
    SimWindowWorld* world_ = nullptr;
    std::unordered_map<std::int32_t, std::uint64_t> roots_;
    std::unordered_map<std::uint64_t, Element> elements_;
    std::uint64_t nextElement_ = 1;  // 0 names the application element
};

}  // namespace tavelin::sim
