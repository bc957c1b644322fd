#pragma once

// Applies a dock diff to a snapshot, for the receiving side of the protocol.

#include <optional>

#include "protocol/DockDiff.h"
#include "protocol/DockSnapshot.h"

namespace tavelin::DockSnapshotApplier {

// The new snapshot, or nothing when the diff was made for another generation. Removes run first, then
// upserts (in place, or appended), then the reorder. Each item ID ends up in the result at most once,
// even when the base repeats an ID or `reorders` names one twice: the first occurrence wins.
std::optional<DockSnapshot> apply(const DockDiff& diff, const DockSnapshot& to, Timestamp now = currentTimestamp());

}  // namespace tavelin::DockSnapshotApplier
