#pragma once

// Checks made before bytes reach libplist 2.2, for the inputs that it does not refuse but dies on: a
// dictionary key of UTF-16 text holding U+0000 fails an assertion; deep nesting (binary or XML)
// overflows the stack in its recursive parser and in plist_free; and a binary file whose objects refer
// to shared objects is expanded into a tree, so a few hundred bytes can ask for more memory than there
// is. Preference files come from disk and may be damaged or made up, so such input must be refused
// before parsing, not survived.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tavelin {

// The reason to refuse `bytes`, or none: a container deeper than `maxDepth` below the top (at depth
// 0), more than `maxValues` values once shared objects are counted each time they are referred to, or
// a NUL in UTF-16 text. Input that is merely malformed is let through: libplist refuses it itself.
// Linear in the size of the input.
std::optional<std::string> plistPrecheck(std::string_view bytes, std::size_t maxDepth,
                                         std::uint64_t maxValues);

}  // namespace tavelin
