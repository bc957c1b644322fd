#pragma once

// A map from texts that keeps its keys in the order they were first set, so that "the first entry
// that matches" is always the same one. Setting a present key replaces its value where it stands.

#include <cstddef>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tavelin {

template <class V>
class InsertionOrderedMap {
  public:
    using Entry = std::pair<std::string, V>;

    void set(std::string key, V value) {
        if (const auto found = index_.find(key); found != index_.end()) {
            entries_[found->second].second = std::move(value);
            return;
        }
        index_.emplace(key, entries_.size());
        entries_.emplace_back(std::move(key), std::move(value));
    }

    const V* find(std::string_view key) const {
        const auto found = index_.find(key);
        return found == index_.end() ? nullptr : &entries_[found->second].second;
    }

    std::size_t size() const { return entries_.size(); }
    typename std::vector<Entry>::const_iterator begin() const { return entries_.begin(); }
    typename std::vector<Entry>::const_iterator end() const { return entries_.end(); }

  private:
    std::vector<Entry> entries_;
    std::map<std::string, std::size_t, std::less<>> index_;
};

}  // namespace tavelin
