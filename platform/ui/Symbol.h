#pragma once

// The symbols the panel shows, drawn as vector shapes in a square as tall as the font size they are
// given: the search badge's magnifying glass and the stand-ins for missing icons.

#include <optional>
#include <string_view>

namespace tavelin::ui {

enum class Symbol { magnifyingGlass, appFill, folderFill, trashFill, docFill, squareDashed, doc };

// "magnifyingglass", "app.fill", "folder.fill", "trash.fill", "doc.fill", "square.dashed", "doc".
std::string_view toString(Symbol symbol);
std::optional<Symbol> symbolFromString(std::string_view name);

}  // namespace tavelin::ui
