#pragma once

// The simulated status bar: each item made is kept with its picture, its menu and its visibility; the
// user chooses a menu row through the world's side, which runs its action. Every request is recorded
// in the world's call trace. Main thread, as are the items it hands out.

#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/StatusBar.h"
#include "platform/sim/SimCallTrace.h"
#include "runtime/SequenceChecker.h"

namespace tavelin::sim {

class SimStatusBar final : public StatusBar {
  public:
    struct ItemState {
        std::optional<StatusItemImage> image;
        std::vector<StatusMenuItem> menu;
        bool visible = true;
        bool removed = false;
    };

    SimStatusBar(SimCallTrace& trace, SequenceChecker mainThread) : trace_(trace), mainThread_(mainThread) {}

    std::unique_ptr<StatusItem> makeStatusItem() override;

    // --- The world's side ---

    // The items made and not removed, in order.
    std::vector<const ItemState*> items() const;
    // The user opens the item's menu and chooses the row with that title; false when the item is not
    // shown or has no such row.
    bool choose(std::size_t item, std::string_view title);

  private:
    class Item;

    SimCallTrace& trace_;
    SequenceChecker mainThread_;
    std::vector<std::shared_ptr<ItemState>> items_;
};

}  // namespace tavelin::sim
