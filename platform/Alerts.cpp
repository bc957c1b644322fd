#include "platform/Alerts.h"

#include "platform/LocalizedStrings.h"

namespace tavelin {

std::string ModalAlert::messageText() const {
    static constexpr std::string_view kPlace = "%@";
    const std::string_view format = localizedString(messageKey);
    std::string text;
    std::size_t argument = 0;
    std::size_t from = 0;
    for (auto at = format.find(kPlace); at != std::string_view::npos; at = format.find(kPlace, from)) {
        text.append(format.substr(from, at - from));
        // A place without an argument stays as written.
        text.append(argument < messageArguments.size() ? std::string_view(messageArguments[argument++]) : kPlace);
        from = at + kPlace.size();
    }
    text.append(format.substr(from));
    return text;
}

}  // namespace tavelin
