#pragma once

// Keeps a user-defaults domain in step with its preference file when something else edits the file (a
// person with an editor or a plist tool): the domain takes the file's values without writing them back,
// and whoever observes the domain hears of it. The domain's own writes come back as file events and
// change nothing. A file that cannot be read (half written, or not a dictionary) is reported and the
// domain keeps its values.
//
// The program uses it for the Dock's preference file, so that the live snapshot follows hand edits.
// Main thread: the watches deliver on the main queue.

#include <filesystem>

#include "platform/FileWatcher.h"
#include "platform/UserDefaults.h"
#include "runtime/Queue.h"
#include "runtime/SystemLog.h"

namespace tavelin {

class PreferenceFileFollower {
  public:
    PreferenceFileFollower(UserDefaults& domain, FileWatcher& watcher, Queue& mainQueue, SystemLog& log);
    PreferenceFileFollower(const PreferenceFileFollower&) = delete;
    PreferenceFileFollower& operator=(const PreferenceFileFollower&) = delete;

  private:
    // The file is replaced by renames, which end its watch: the folder's entries tell of a new file.
    void watchFile();
    void fileChanged();

    UserDefaults& domain_;
    FileWatcher& watcher_;
    Queue& mainQueue_;
    SystemLog& log_;
    FileWatch folderWatch_;
    FileWatch fileWatch_;
};

}  // namespace tavelin
