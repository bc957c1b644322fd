#pragma once

// The simulated Accessibility interface: a trust flag and, per process, a tree of elements whose
// attributes the world (the simulated Dock) or a test sets. Installing a new tree for a process retires
// the elements of the old one: their handles answer `invalidUIElement`, as elements of a changed user
// interface do. An untrusted process gets `apiDisabled` for every attribute.
//
// Main thread.

#include <cstdint>
#include <map>
#include <string>
#include <unordered_map>
#include <variant>
#include <vector>

#include "platform/Accessibility.h"
#include "platform/sim/SimCallTrace.h"

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
    bool isProcessTrusted() const override {
        if (trace_) trace_->record("Accessibility.isProcessTrusted");
        return trusted_;
    }
    bool isProcessTrustedWithOptions(bool prompt) const override {
        if (trace_) trace_->record(prompt ? "Accessibility.isProcessTrustedWithOptions prompt"
                                          : "Accessibility.isProcessTrustedWithOptions");
        if (prompt && !trusted_) ++prompts_;
        return trusted_;
    }
    std::expected<AXValue, AXError> copyAttributeValue(const AXElement& element,
                                                       std::string_view attribute) const override;

    void setProcessTrusted(bool trusted) { trusted_ = trusted; }
    // The trust as the world knows it; asking here records nothing.
    bool isTrustedNow() const { return trusted_; }
    // How often the system showed its request for trust.
    int trustPromptCount() const { return prompts_; }
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

    bool trusted_ = false;
    mutable int prompts_ = 0;  // the request is the system's, asked through a query
    SimCallTrace* trace_ = nullptr;
    std::unordered_map<std::int32_t, std::uint64_t> roots_;
    std::unordered_map<std::uint64_t, Element> elements_;
    std::uint64_t nextElement_ = 1;  // 0 names the application element
};

}  // namespace tavelin::sim
