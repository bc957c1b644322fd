#pragma once

// A set of process identifiers that keeps the order in which they were added: the processes whose
// windows belong to a Dock item, the item's own applications first. Walks over it follow that order,
// so that the same world always gives the same answer. The sets are a handful of processes; lookups
// scan.

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <vector>

namespace tavelin {

class ProcessIDSet {
  public:
    ProcessIDSet() = default;
    ProcessIDSet(std::initializer_list<std::int32_t> processIDs) {
        for (const auto processID : processIDs) insert(processID);
    }

    // False when it was there already (its place stays).
    bool insert(std::int32_t processID) {
        if (contains(processID)) return false;
        ordered_.push_back(processID);
        return true;
    }
    bool contains(std::int32_t processID) const {
        return std::ranges::find(ordered_, processID) != ordered_.end();
    }
    bool contains(const std::optional<std::int32_t>& processID) const {
        return processID && contains(*processID);
    }
    bool empty() const { return ordered_.empty(); }
    std::size_t size() const { return ordered_.size(); }
    auto begin() const { return ordered_.begin(); }
    auto end() const { return ordered_.end(); }

    friend bool operator==(const ProcessIDSet&, const ProcessIDSet&) = default;

  private:
    std::vector<std::int32_t> ordered_;
};

}  // namespace tavelin
