#include "platform/sim/SimStatusBar.h"

namespace tavelin::sim {

class SimStatusBar::Item final : public StatusItem {
  public:
    Item(SimCallTrace& trace, std::shared_ptr<ItemState> state) : trace_(trace), state_(std::move(state)) {}
    ~Item() override { state_->removed = true; }

    void setImage(StatusItemImage image) override {
        trace_.record("StatusBar.setImage " + image.systemSymbolName);
        state_->image = std::move(image);
    }
    void setMenu(std::vector<StatusMenuItem> menu) override {
        trace_.record("StatusBar.setMenu");
        state_->menu = std::move(menu);
    }
    void setVisible(bool visible) override {
        trace_.record(visible ? "StatusBar.setVisible on" : "StatusBar.setVisible off");
        state_->visible = visible;
    }
    bool isVisible() const override { return state_->visible; }

  private:
    SimCallTrace& trace_;
    std::shared_ptr<ItemState> state_;
};

std::unique_ptr<StatusItem> SimStatusBar::makeStatusItem() {
    mainThread_.check();
    trace_.record("StatusBar.makeItem");
    auto state = std::make_shared<ItemState>();
    items_.push_back(state);
    return std::make_unique<Item>(trace_, std::move(state));
}

std::vector<const SimStatusBar::ItemState*> SimStatusBar::items() const {
    std::vector<const ItemState*> items;
    for (const auto& state : items_) {
        if (!state->removed) items.push_back(state.get());
    }
    return items;
}

bool SimStatusBar::choose(std::size_t item, std::string_view title) {
    const auto shown = items();
    if (item >= shown.size() || !shown[item]->visible) return false;
    for (const auto& row : shown[item]->menu) {
        if (row.title != title || !row.action) continue;
        // A copy: the action may rebuild the menu it came from.
        const auto action = row.action;
        action();
        return true;
    }
    return false;
}

}  // namespace tavelin::sim
