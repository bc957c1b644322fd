#pragma once

// Icon tokens and the pictures behind them. Every dock item and folder child gets a short token that
// names its picture: the first 8 bytes of the SHA-256 digest of "bundle:" + bundle ID (applications)
// or of the path (everything else), as 16 lower-case hexadecimal digits, so that a token is the same
// in every process and every launch. The Trash is "tavelin-trash-full" or "tavelin-trash-empty" by
// its state ("tavelin-trash" is understood in requests too). The service remembers what each token
// stands for (at most 4096 tokens, the first registered going first, each announced as
// "tavelin.iconInvalidated"), renders pictures as 128 by 128 PNG with a bounded memory cache, and
// answers a request for a list of tokens with IconData records. The Trash's state is read at every
// request; the picture of each state is rendered once.
//
//     icons.attachTokens(items);                          // at every rebuild of the dock state
//     auto png = icons.png128(item.path, item.bundleID);  // the switcher's cells
//     auto records = icons.iconData(tokens, snapshot.items);  // a device's "icon.fetch"
//
// One per process, owned by the service container. Threads: any thread may call (the main thread,
// the folder prefetch queue, the devices' sessions). One lock guards the token registry and the
// cache; it is held only for registry changes, registry reads and single cache accesses. Looking up
// and rendering a picture run outside it, so two threads may render the same picture at once (the
// later store wins). Notifications are posted on the calling thread after the lock is released, so an
// observer may call back into the service.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "mac/core/IconCache.h"
#include "platform/FileSystem.h"
#include "platform/HostInfo.h"
#include "platform/UserFolders.h"
#include "platform/Workspace.h"
#include "platform/WorkspaceIcons.h"
#include "protocol/Base64.h"
#include "protocol/DockItem.h"
#include "protocol/FolderSnapshot.h"
#include "protocol/IconData.h"
#include "protocol/Identifiers.h"
#include "runtime/NotificationCenter.h"

namespace tavelin {

// User info "tokens": std::vector<IconToken>.
inline constexpr std::string_view kIconInvalidatedNotification = "tavelin.iconInvalidated";
// Posted by the dock state service; user info "icons": std::vector<IconData>.
inline constexpr std::string_view kTrashIconPushedNotification = "tavelin.trashIconPushed";

inline constexpr std::string_view kTrashTokenFull = "tavelin-trash-full";
inline constexpr std::string_view kTrashTokenEmpty = "tavelin-trash-empty";
inline constexpr std::string_view kTrashToken = "tavelin-trash";

// Where a picture comes from: a file, an application, or both.
struct IconSource {
    std::optional<std::string> path;
    std::optional<std::string> bundleID;
    friend bool operator==(const IconSource&, const IconSource&) = default;
};

class IconService {
  public:
    struct Platform {
        const WorkspaceIcons& icons;
        const Workspace& workspace;  // asked for where applications are installed, from any thread
        const FileSystem& files;
        const UserFolders& folders;
        const HostInfo& host;
        NotificationCenter& notifications;  // the default centre
    };

    static constexpr std::size_t kRegistryCap = 4096;
    static constexpr int kPixelSize = 128;
    // The cache's bounds: a 128-pixel icon is some 5 to 30 KB of PNG.
    static constexpr std::size_t kCacheMaxCount = 2048;
    static constexpr std::size_t kCacheMaxBytes = std::size_t{32} << 20;

    explicit IconService(Platform platform);
    IconService(const IconService&) = delete;
    IconService& operator=(const IconService&) = delete;

    // Each registers the token; none for none.
    std::optional<IconToken> token(const std::optional<std::string>& path);
    std::optional<IconToken> tokenForBundleID(const std::optional<std::string>& bundleID);

    // Gives every item its token: the Trash by its state, an application by its bundle ID, anything
    // else by its path. A path that resolves elsewhere (a stale application path) is replaced.
    void attachTokens(std::vector<DockItem>& items);
    // Registers the tokens of the children that have a path.
    void registerFolderSnapshot(const FolderSnapshot& snapshot);
    // One record per token that yields a picture, in request order; the others are left out.
    std::vector<IconData> iconData(const std::vector<IconToken>& tokens, const std::vector<DockItem>& items);

    // The picture of a file or application at 128 pixels, cached by its resolved source (the Trash by
    // its state); none when it cannot be rendered.
    std::optional<Bytes> png128(const std::optional<std::string>& path,
                                const std::optional<std::string>& bundleID);
    // The same picture without copying it: the one the cache holds, null for none. A picture is never
    // changed once rendered, so a new pointer means a new picture. When this call renders it and `drawn`
    // is given, the bitmap that was encoded goes there too, so that a caller who shows it need not decode
    // the PNG; otherwise `drawn` is left as it was.
    std::shared_ptr<const Bytes> sharedPNG128(const std::optional<std::string>& path,
                                              const std::optional<std::string>& bundleID,
                                              Bitmap* drawn = nullptr);
    // The program's own bundle for its own bundle ID; a path that exists; else the installed
    // application of the bundle ID; else what was given. The bundle ID always stays as given.
    IconSource resolvedIconSource(const std::optional<std::string>& path,
                                  const std::optional<std::string>& bundleID) const;

    // True when the Trash folder lists at least one entry, hidden ones included; an unreadable or
    // missing Trash is empty.
    bool isTrashFull() const;
    // The Trash's picture for its current state.
    std::optional<Bytes> trashPNG128();

    // Forgets the tokens and their cached pictures, then announces them in one notification.
    void invalidateTokens(const std::vector<IconToken>& tokens);

  private:
    static IconToken digestToken(std::string_view source);
    void registerToken(const IconToken& token, const std::string& source);
    // Null when it cannot be encoded; `drawn`, when given, receives the picture drawn at 128.
    std::shared_ptr<const Bytes> pngData(const Bitmap& image, Bitmap* drawn = nullptr) const;
    std::shared_ptr<const Bytes> trashPicture(bool full, Bitmap* drawn = nullptr);
    bool isTrashPath(const std::string& path) const;
    void postInvalidated(std::vector<IconToken> tokens);

    Platform platform_;
    // The program's own bundle and the user's Trash folder, which stay where they are while it runs.
    const BundleInfo program_;
    const std::optional<std::string> trashPath_;
    std::mutex lock_;
    IconCache cache_{kCacheMaxCount, kCacheMaxBytes};
    // The Trash's pictures, empty and full, by its state: the system's named pictures never change,
    // so rendering each once is enough.
    std::shared_ptr<const Bytes> trashPictures_[2];
    std::unordered_map<std::string, std::string> tokenRegistry_;  // token text to source
    std::deque<std::string> tokenRegistryOrder_;                  // by first registration
};

}  // namespace tavelin
