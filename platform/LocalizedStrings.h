#pragma once

// The program's own string table: user-visible texts by localisation key, as the application's
// resources hold them (English). A key the table does not hold is its own text, as the platform's
// lookup answers. Any thread.

#include <string_view>

namespace tavelin {

std::string_view localizedString(std::string_view key);

}  // namespace tavelin
