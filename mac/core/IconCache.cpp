#include "mac/core/IconCache.h"

namespace tavelin {

std::shared_ptr<const Bytes> IconCache::find(const std::string& key) {
    const auto found = index_.find(key);
    if (found == index_.end()) return nullptr;
    entries_.splice(entries_.begin(), entries_, found->second);
    return found->second->second;
}

void IconCache::store(const std::string& key, std::shared_ptr<const Bytes> png) {
    remove(key);
    if (!png) return;
    const std::size_t size = png->data.size();
    if (size > maxBytes_ || maxCount_ == 0) return;
    while (!entries_.empty() && (entries_.size() + 1 > maxCount_ || bytes_ + size > maxBytes_)) {
        const std::string oldest = entries_.back().first;  // remove() erases the entry that holds it
        remove(oldest);
    }
    entries_.emplace_front(key, std::move(png));
    index_.emplace(key, entries_.begin());
    bytes_ += size;
}

void IconCache::remove(const std::string& key) {
    const auto found = index_.find(key);
    if (found == index_.end()) return;
    bytes_ -= found->second->second->data.size();
    entries_.erase(found->second);
    index_.erase(found);
}

}  // namespace tavelin
