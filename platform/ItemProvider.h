#pragma once

// One item of a drag as its source offers it: what types it can give, and a load of it as a URL. A
// source that also put file URLs on the drag pasteboard offers the same files here; one that did not
// (a promised file, an item of another application) can only be read through its providers. Main thread.

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace tavelin {

// The uniform type of a file URL.
inline constexpr std::string_view kFileURLTypeIdentifier = "public.file-url";

class ItemProvider {
  public:
    virtual ~ItemProvider() = default;

    virtual bool hasItemConformingToTypeIdentifier(std::string_view typeIdentifier) const = 0;
    // Asks for the item as an object of the URL class. `completion` runs once, later, on the main
    // queue, with the URL text, or with none when the provider has no URL or its load fails.
    virtual void loadURL(std::function<void(std::optional<std::string>)> completion) const = 0;
};

}  // namespace tavelin
