#pragma once

// The pictures the system shows for files, folders and applications, and its named pictures (the
// Trash, the program's own icon). A picture comes at the size the system holds it; whoever shows it
// draws it at the size it needs. Any thread may ask.

#include <filesystem>
#include <optional>

#include "platform/Bitmap.h"

namespace tavelin {

enum class NamedImage { trashFull, trashEmpty, applicationIcon };

class WorkspaceIcons {
  public:
    virtual ~WorkspaceIcons() = default;

    // An application bundle's own icon, else the generic picture of what lies at `path` (a folder, a
    // document); a missing file gets the generic document picture.
    virtual Bitmap iconForFile(const std::filesystem::path& path) const = 0;
    // None when the system has no such picture.
    virtual std::optional<Bitmap> namedImage(NamedImage name) const = 0;
};

}  // namespace tavelin
