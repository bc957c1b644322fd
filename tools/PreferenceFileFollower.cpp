#include "tools/PreferenceFileFollower.h"

namespace tavelin {

PreferenceFileFollower::PreferenceFileFollower(UserDefaults& domain, FileWatcher& watcher, Queue& mainQueue,
                                               SystemLog& log)
    : domain_(domain), watcher_(watcher), mainQueue_(mainQueue), log_(log) {
    std::error_code error;
    std::filesystem::create_directories(domain_.file().parent_path(), error);
    // Both handlers are cancelled with their watches, which this object owns.
    auto folder =
        watcher_.watch(domain_.file().parent_path(), kFolderEntriesChanged, mainQueue_, [this](FileEvents) {
            watchFile();
            fileChanged();
        });
    if (folder) {
        folderWatch_ = std::move(*folder);
    } else {
        log_.log("tavelin: not following " + domain_.file().string() + ": " + folder.error().message);
    }
    watchFile();
}

void PreferenceFileFollower::watchFile() {
    auto file = watcher_.watch(domain_.file(), FileEvent::write | FileEvent::deleteSelf, mainQueue_,
                               [this](FileEvents events) {
                                   if (events.contains(FileEvent::write)) fileChanged();
                               });
    // A missing file is watched again once the folder sees it come.
    fileWatch_ = file ? std::move(*file) : FileWatch();
}

void PreferenceFileFollower::fileChanged() {
    std::error_code error;
    if (!std::filesystem::exists(domain_.file(), error)) return;
    const auto changed = domain_.synchronize();
    if (!changed) {
        log_.log("tavelin: " + domain_.file().string() + " unreadable, kept as it was: " + changed.error());
    } else if (*changed) {
        log_.log("tavelin: " + domain_.file().filename().string() + " was edited; reading it again");
    }
}

}  // namespace tavelin
