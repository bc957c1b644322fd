#include "platform/sim/SimWorkspaceIcons.h"

#include <algorithm>
#include <system_error>

#include "platform/ImageCoding.h"

namespace tavelin::sim {
namespace {

constexpr int kSide = SimWorkspaceIcons::kGenericSide;

// Fills the pixels with x0 <= x < x1 and y0 <= y < y1, corners rounded by `radius`.
void fill(Bitmap& bitmap, int x0, int y0, int x1, int y1, Rgba colour, int radius = 0) {
    for (int y = std::max(y0, 0); y < std::min(y1, bitmap.height); ++y) {
        for (int x = std::max(x0, 0); x < std::min(x1, bitmap.width); ++x) {
            const int dx = std::max({x0 + radius - x, x - (x1 - 1 - radius), 0});
            const int dy = std::max({y0 + radius - y, y - (y1 - 1 - radius), 0});
            if (dx * dx + dy * dy <= radius * radius) bitmap.setPixel(x, y, colour);
        }
    }
}

Bitmap drawApplication() {
    Bitmap bitmap(kSide, kSide);
    fill(bitmap, 16, 16, 240, 240, {70, 90, 120, 255}, 48);
    fill(bitmap, 64, 64, 192, 192, {200, 210, 225, 255}, 24);
    return bitmap;
}

Bitmap drawFolder() {
    Bitmap bitmap(kSide, kSide);
    fill(bitmap, 16, 40, 112, 80, {90, 170, 230, 255}, 12);
    fill(bitmap, 16, 64, 240, 224, {60, 150, 220, 255}, 16);
    return bitmap;
}

Bitmap drawDocument() {
    Bitmap bitmap(kSide, kSide);
    fill(bitmap, 48, 16, 208, 240, {150, 150, 150, 255});
    fill(bitmap, 52, 20, 204, 236, {255, 255, 255, 255});
    fill(bitmap, 168, 16, 208, 56, {210, 210, 210, 255});  // the folded corner
    for (int line = 0; line < 6; ++line)
        fill(bitmap, 76, 80 + line * 24, 180, 88 + line * 24, {190, 190, 190, 255});
    return bitmap;
}

Bitmap drawTrash(bool full) {
    Bitmap bitmap(kSide, kSide);
    fill(bitmap, 40, 56, 216, 76, {120, 120, 125, 255}, 8);  // the lid
    fill(bitmap, 56, 80, 200, 240, {165, 165, 170, 255}, 12);
    for (int x = 84; x < 200; x += 32) fill(bitmap, x, 100, x + 6, 220, {130, 130, 135, 255});
    if (full) {
        fill(bitmap, 60, 20, 140, 60, {250, 250, 245, 255}, 14);
        fill(bitmap, 120, 12, 196, 56, {235, 235, 225, 255}, 14);
    }
    return bitmap;
}

bool isDirectory(const std::filesystem::path& path) {
    std::error_code error;
    return std::filesystem::is_directory(path, error);
}

}  // namespace

SimWorkspaceIcons::SimWorkspaceIcons(std::filesystem::path programBundle)
    : programBundle_(std::move(programBundle)),
      application_(drawApplication()),
      folder_(drawFolder()),
      document_(drawDocument()),
      trashEmpty_(drawTrash(false)),
      trashFull_(drawTrash(true)) {}

Bitmap SimWorkspaceIcons::iconForFile(const std::filesystem::path& path) const {
    {
        std::lock_guard lock(mutex_);
        askedFiles_.push_back(path);
    }
    if (!isDirectory(path)) return document_;
    if (path.extension() == ".app") return applicationIcon(path);
    return folder_;
}

std::optional<Bitmap> SimWorkspaceIcons::namedImage(NamedImage name) const {
    switch (name) {
        case NamedImage::trashFull:
            return trashFull_;
        case NamedImage::trashEmpty:
            return trashEmpty_;
        case NamedImage::applicationIcon:
            return applicationIcon(programBundle_);
    }
    return std::nullopt;
}

std::vector<std::filesystem::path> SimWorkspaceIcons::askedFiles() const {
    std::lock_guard lock(mutex_);
    return askedFiles_;
}

Bitmap SimWorkspaceIcons::applicationIcon(const std::filesystem::path& bundle) const {
    auto icon = loadImage(bundle / "Contents/Resources/AppIcon.png");
    return icon ? std::move(*icon) : application_;
}

}  // namespace tavelin::sim
