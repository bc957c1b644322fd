#pragma once

// Which part of the settings form to bring into view: the settings window sets it when it is opened
// for a tab, and the form scrolls there. One per process (the application delegate's), main thread.

#include <optional>

#include "protocol/EnumText.h"
#include "runtime/ObservableObject.h"
#include "runtime/Published.h"

namespace tavelin {

enum class SettingsTab { general, devices };

template <>
struct EnumText<SettingsTab> {
    static constexpr std::string_view names[] = {"general", "devices"};
};

class SettingsScrollState : public ObservableObject {
  public:
    Published<std::optional<SettingsTab>> target{*this};
};

}  // namespace tavelin
