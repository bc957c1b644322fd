#pragma once

// The simulated Mac's icons. An application's icon is the picture "Contents/Resources/AppIcon.png" in
// its bundle on disk (a test puts one there), read each time it is asked for; without a readable one,
// and for every other file and folder, the generic pictures drawn here: an application, a folder, a
// document. The program's own icon comes from its bundle the same way. The Trash has two pictures,
// empty and full.
//
// Any thread may ask: the generic pictures are drawn once, when the world is made. It records the files
// whose pictures were asked for, so that a test can tell what was rendered.

#include <mutex>
#include <vector>

#include "platform/WorkspaceIcons.h"

namespace tavelin::sim {

class SimWorkspaceIcons final : public WorkspaceIcons {
  public:
    // `programBundle` is where the program's own bundle lies on disk.
    explicit SimWorkspaceIcons(std::filesystem::path programBundle);

    Bitmap iconForFile(const std::filesystem::path& path) const override;
    std::optional<Bitmap> namedImage(NamedImage name) const override;

    // Every file whose picture was asked for, in order.
    std::vector<std::filesystem::path> askedFiles() const;

    // The side of the generic pictures, in pixels.
    static constexpr int kGenericSide = 256;

  private:
    Bitmap applicationIcon(const std::filesystem::path& bundle) const;

    const std::filesystem::path programBundle_;
    const Bitmap application_;
    const Bitmap folder_;
    const Bitmap document_;
    const Bitmap trashEmpty_;
    const Bitmap trashFull_;
    mutable std::mutex mutex_;
    mutable std::vector<std::filesystem::path> askedFiles_;
};

}  // namespace tavelin::sim
