#include "platform/sim/SimAccessibility.h"

#include "protocol/Overloaded.h"

namespace tavelin::sim {

std::expected<AXValue, AXError> SimAccessibility::copyAttributeValue(const AXElement& element,
                                                                     std::string_view attribute) const {
    if (!trusted_) return std::unexpected(AXError::apiDisabled);
    auto number = element.element;
    if (number == 0) {
        const auto root = roots_.find(element.processIdentifier);
        if (root == roots_.end()) return std::unexpected(AXError::cannotComplete);
        number = root->second;
    }
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
