#pragma once

// Text that came in from outside (a typed line, a name from the desktop file, a title) as the programs
// echo it to a terminal: every control character (C0, DEL and C1) and every byte that starts no valid
// UTF-8 sequence is written as \xNN, byte by byte, so that no escape sequence in the input reaches the
// terminal. Letters of any script, blanks and backslashes stay as they are.

#include <string>
#include <string_view>

namespace tavelin {

std::string escapedText(std::string_view text);

}  // namespace tavelin
