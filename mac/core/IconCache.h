#pragma once

// The icon service's rendered pictures, by the resolved source they show (a path, or a bundle ID when
// no path is known). Bounded twice: at most `maxCount` pictures and `maxBytes` of PNG data; when a new
// picture would pass either bound, the least recently used pictures go first. A picture larger than
// `maxBytes` on its own is not kept.
//
// Not thread-safe: the icon service guards it with its lock.

#include <cstddef>
#include <list>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>

#include "protocol/Base64.h"

namespace tavelin {

class IconCache {
  public:
    IconCache(std::size_t maxCount, std::size_t maxBytes) : maxCount_(maxCount), maxBytes_(maxBytes) {}

    // The picture, now the most recently used; null when none is kept. A picture is never changed once
    // stored, so callers may keep it and compare pointers to learn whether it was replaced.
    std::shared_ptr<const Bytes> find(const std::string& key);
    // Replaces a picture kept under the same key.
    void store(const std::string& key, std::shared_ptr<const Bytes> png);
    void remove(const std::string& key);

    std::size_t count() const { return entries_.size(); }
    std::size_t bytes() const { return bytes_; }

  private:
    using Entries = std::list<std::pair<std::string, std::shared_ptr<const Bytes>>>;  // the most recently used first

    const std::size_t maxCount_;
    const std::size_t maxBytes_;
    Entries entries_;
    std::unordered_map<std::string, Entries::iterator> index_;
    std::size_t bytes_ = 0;
};

}  // namespace tavelin
