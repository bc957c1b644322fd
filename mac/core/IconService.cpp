#include "mac/core/IconService.h"

#include <algorithm>
#include <span>
#include <utility>

#include "platform/BitmapScaling.h"
#include "platform/ImageCoding.h"
#include "platform/Sha256.h"

namespace tavelin {
namespace {

constexpr std::string_view kBundlePrefix = "bundle:";
constexpr std::size_t kTokenBytes = 8;

std::optional<Bytes> copied(const std::shared_ptr<const Bytes>& png) {
    if (!png) return std::nullopt;
    return *png;
}

bool isTrashToken(std::string_view token) {
    return token == kTrashToken || token == kTrashTokenEmpty || token == kTrashTokenFull;
}

}  // namespace

IconService::IconService(Platform platform)
    : platform_(platform),
      program_(platform.host.mainBundle()),
      trashPath_(
          platform.folders.trashDirectory().transform([](const auto& path) { return path.string(); })) {}

IconToken IconService::digestToken(std::string_view source) {
    const auto bytes = std::span(reinterpret_cast<const std::uint8_t*>(source.data()), source.size());
    return IconToken(hexPrefix(sha256(bytes), kTokenBytes));
}

std::optional<IconToken> IconService::token(const std::optional<std::string>& path) {
    if (!path) return std::nullopt;
    auto token = digestToken(*path);
    registerToken(token, *path);
    return token;
}

std::optional<IconToken> IconService::tokenForBundleID(const std::optional<std::string>& bundleID) {
    if (!bundleID) return std::nullopt;
    const std::string source = std::string(kBundlePrefix) + *bundleID;
    auto token = digestToken(source);
    registerToken(token, source);
    return token;
}

void IconService::registerToken(const IconToken& token, const std::string& source) {
    std::vector<IconToken> evicted;
    {
        std::lock_guard lock(lock_);
        // Overwriting keeps the token's place: eviction follows first registration, not last use.
        const auto [entry, inserted] = tokenRegistry_.insert_or_assign(token.rawValue(), source);
        if (inserted) tokenRegistryOrder_.push_back(token.rawValue());
        while (tokenRegistryOrder_.size() > kRegistryCap) {
            tokenRegistry_.erase(tokenRegistryOrder_.front());
            evicted.emplace_back(std::move(tokenRegistryOrder_.front()));
            tokenRegistryOrder_.pop_front();
        }
    }
    // One notice per evicted token, as each eviction is its own event.
    for (auto& gone : evicted) postInvalidated({std::move(gone)});
}

void IconService::attachTokens(std::vector<DockItem>& items) {
    for (auto& item : items) {
        if (item.kind == DockItemKind::trash) {
            item.iconToken = IconToken(isTrashFull() ? kTrashTokenFull : kTrashTokenEmpty);
            continue;
        }
        const auto resolved = resolvedIconSource(item.path, item.bundleID);
        if (resolved.path) item.path = resolved.path;
        if (item.bundleID && item.kind == DockItemKind::app) {
            item.iconToken = tokenForBundleID(item.bundleID);
        } else if (resolved.path) {
            item.iconToken = token(resolved.path);
        } else if (item.bundleID) {
            item.iconToken = tokenForBundleID(item.bundleID);
        }
    }
}

void IconService::registerFolderSnapshot(const FolderSnapshot& snapshot) {
    for (const auto& child : snapshot.children) {
        if (!child.path) continue;
        registerToken(child.iconToken ? *child.iconToken : digestToken(*child.path), *child.path);
    }
}

std::vector<IconData> IconService::iconData(const std::vector<IconToken>& tokens,
                                            const std::vector<DockItem>& items) {
    std::unordered_map<std::string_view, const DockItem*> itemsByToken;
    for (const auto& item : items) {
        if (item.iconToken) itemsByToken[item.iconToken->rawValue()] = &item;  // a later item wins
    }

    std::vector<IconData> records;
    for (const auto& token : tokens) {
        std::shared_ptr<const Bytes> png;
        if (isTrashToken(token.rawValue())) {
            png = trashPicture(isTrashFull());  // the current state's picture, whatever state the token names
        } else if (const auto found = itemsByToken.find(token.rawValue()); found != itemsByToken.end()) {
            const DockItem& item = *found->second;
            png = item.kind == DockItemKind::trash ? trashPicture(isTrashFull())
                                                   : sharedPNG128(item.path, item.bundleID);
        } else {
            std::optional<std::string> source;
            {
                std::lock_guard lock(lock_);
                if (const auto entry = tokenRegistry_.find(token.rawValue()); entry != tokenRegistry_.end()) {
                    source = entry->second;
                }
            }
            if (!source) continue;
            if (source->starts_with(kBundlePrefix)) {
                png = sharedPNG128(std::nullopt, source->substr(kBundlePrefix.size()));
            } else {
                png = sharedPNG128(source, std::nullopt);
            }
        }
        if (png) records.push_back(IconData{token, base64Encode(*png), kPixelSize});
    }
    return records;
}

std::optional<Bytes> IconService::png128(const std::optional<std::string>& path,
                                         const std::optional<std::string>& bundleID) {
    return copied(sharedPNG128(path, bundleID));
}

std::shared_ptr<const Bytes> IconService::sharedPNG128(const std::optional<std::string>& path,
                                                       const std::optional<std::string>& bundleID,
                                                       Bitmap* drawn) {
    const auto resolved = resolvedIconSource(path, bundleID);
    if (resolved.path && isTrashPath(*resolved.path)) return trashPicture(isTrashFull(), drawn);

    const std::string key = resolved.path ? *resolved.path : resolved.bundleID.value_or("");
    {
        std::lock_guard lock(lock_);
        if (auto cached = cache_.find(key)) return cached;
    }

    std::optional<Bitmap> image;
    if (resolved.path && platform_.files.itemType(*resolved.path) != ItemType::missing) {
        image = platform_.icons.iconForFile(*resolved.path);
    } else if (const auto application = resolved.bundleID
                                            ? platform_.workspace.urlForApplication(*resolved.bundleID)
                                            : std::nullopt) {
        image = platform_.icons.iconForFile(*application);
    } else {
        image = platform_.icons.namedImage(NamedImage::applicationIcon);
    }
    if (!image) return nullptr;

    auto png = pngData(*image, drawn);
    if (!png) return nullptr;
    std::lock_guard lock(lock_);
    cache_.store(key, png);
    return png;
}

IconSource IconService::resolvedIconSource(const std::optional<std::string>& path,
                                           const std::optional<std::string>& bundleID) const {
    std::optional<std::string> resolvedPath = path;
    if (bundleID && *bundleID == program_.identifier) resolvedPath = program_.path.string();
    if (resolvedPath && platform_.files.itemType(*resolvedPath) != ItemType::missing) {
        return {resolvedPath, bundleID};
    }
    if (bundleID) {
        if (auto application = platform_.workspace.urlForApplication(*bundleID)) {
            return {application->string(), bundleID};
        }
    }
    return {resolvedPath, bundleID};
}

bool IconService::isTrashFull() const {
    if (!trashPath_) return false;
    const auto entries = platform_.files.contentsOfDirectory(*trashPath_, HiddenFiles::include);
    return entries && !entries->empty();
}

std::optional<Bytes> IconService::trashPNG128() { return copied(trashPicture(isTrashFull())); }

std::shared_ptr<const Bytes> IconService::trashPicture(bool full, Bitmap* drawn) {
    {
        std::lock_guard lock(lock_);
        if (const auto& cached = trashPictures_[full]) return cached;
    }
    const auto image = platform_.icons.namedImage(full ? NamedImage::trashFull : NamedImage::trashEmpty);
    auto png = image ? pngData(*image, drawn) : nullptr;
    if (!png) return nullptr;
    std::lock_guard lock(lock_);
    trashPictures_[full] = png;
    return png;
}

void IconService::invalidateTokens(const std::vector<IconToken>& tokens) {
    {
        std::lock_guard lock(lock_);
        for (const auto& token : tokens) {
            const auto entry = tokenRegistry_.find(token.rawValue());
            if (entry == tokenRegistry_.end()) continue;
            // The picture is cached under the source as resolved; for a path or an application with no
            // path known that is the source as registered.
            const std::string& source = entry->second;
            cache_.remove(source.starts_with(kBundlePrefix) ? source.substr(kBundlePrefix.size()) : source);
            tokenRegistry_.erase(entry);
            std::erase(tokenRegistryOrder_, token.rawValue());
        }
    }
    postInvalidated(tokens);
}

std::shared_ptr<const Bytes> IconService::pngData(const Bitmap& image, Bitmap* drawn) const {
    Bitmap square = drawnInSquare(image, kPixelSize);
    auto png = encodePNG(square);
    if (!png) return nullptr;
    if (drawn) *drawn = std::move(square);
    return std::make_shared<const Bytes>(Bytes{std::move(*png)});
}

bool IconService::isTrashPath(const std::string& path) const {
    if (path.ends_with("/.Trash") || path.ends_with("/.Trash/")) return true;
    return path == trashPath_;
}

void IconService::postInvalidated(std::vector<IconToken> tokens) {
    if (tokens.empty()) return;
    platform_.notifications.post(
        Notification{std::string(kIconInvalidatedNotification), nullptr, {{"tokens", std::move(tokens)}}});
}

}  // namespace tavelin
