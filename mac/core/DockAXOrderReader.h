#pragma once

// Reads the running Dock's Accessibility tree: its tiles in the order the Dock shows them, each as an
// application, a folder, a document, the Trash or a separator. Nothing is kept between calls; every
// call reads the tree afresh, synchronously. Main thread.

#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "platform/Accessibility.h"
#include "platform/Workspace.h"

namespace tavelin {

class DockAXOrderReader {
  public:
    // Titles are never absent: a missing title is empty.
    struct Application {
        std::string title;
        std::optional<std::string> path;
        std::optional<std::string> bundleID;
        friend bool operator==(const Application&, const Application&) = default;
    };
    struct Folder {
        std::string title;
        std::optional<std::string> path;
        friend bool operator==(const Folder&, const Folder&) = default;
    };
    struct Document {
        std::string title;
        std::optional<std::string> path;
        friend bool operator==(const Document&, const Document&) = default;
    };
    struct Trash {
        std::string title;
        friend bool operator==(const Trash&, const Trash&) = default;
    };
    struct Separator {
        friend bool operator==(const Separator&, const Separator&) = default;
    };
    using Entry = std::variant<Application, Folder, Document, Trash, Separator>;

    DockAXOrderReader(const Accessibility& accessibility, const Workspace& workspace)
        : accessibility_(accessibility), workspace_(workspace) {}

    // None without the Accessibility permission, without a running Dock, or when the Dock shows no
    // tile that can be read.
    std::optional<std::vector<Entry>> readEntries() const;

    // Empty when the attribute is missing or holds something else.
    std::vector<AXElement> axChildren(const AXElement& element) const;
    // None on any error and for a value that is not a text.
    std::optional<std::string> axString(const AXElement& element, std::string_view attribute) const;
    // The tile's "AXURL": a plain path, or the path of a file URL; without one trailing '/'.
    std::optional<std::string> pathFromDockItem(const AXElement& element) const;
    // The bundle's own identifier, else (but for an ".app") that of the application that opens it.
    std::optional<std::string> bundleID(const std::optional<std::string>& appPath) const;

    static bool classifyAsFolder(const std::optional<std::string>& path, std::string_view title,
                                 std::string_view subrole);
    static bool classifyAsDocument(const std::optional<std::string>& path, std::string_view title,
                                   std::string_view subrole);

  private:
    std::optional<Entry> entry(const AXElement& tile) const;

    const Accessibility& accessibility_;
    const Workspace& workspace_;
};

}  // namespace tavelin
