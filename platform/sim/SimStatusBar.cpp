#include "platform/sim/SimStatusBar.h"

namespace tavelin::sim {

class SimStatusBar::Item final : public StatusItem {
  public:
    Item(SimCallTrace& trace, SequenceChecker mainThread, std::shared_ptr<ItemState> state)
        : trace_(trace), mainThread_(mainThread), state_(std::move(state)) {}
    ~Item() override {
        mainThread_.check();
        state_->removed = true;
    }

    void setImage(StatusItemImage image) override {
        mainThread_.check();
        trace_.record("StatusBar.setImage " + image.systemSymbolName);
        state_->image = std::move(image);
    }
    void setMenu(std::vector<StatusMenuItem> menu) override {
        mainThread_.check();
        trace_.record("StatusBar.setMenu");
        state_->menu = std::move(menu);
    }
    void setVisible(bool visible) override {
        mainThread_.check();
        trace_.record(visible ? "StatusBar.setVisible on" : "StatusBar.setVisible off");
        state_->visible = visible;
    }
    bool isVisible() const override {
        mainThread_.check();
        return state_->visible;
    }

  private:
    SimCallTrace& trace_;
    SequenceChecker mainThread_;
    std::shared_ptr<ItemState> state_;
};

std::unique_ptr<StatusItem> SimStatusBar::makeStatusItem() {
    mainThread_.check();
    trace_.record("StatusBar.makeItem");
    auto state = std::make_shared<ItemState>();
    items_.push_back(state);
    return std::make_unique<Item>(trace_, mainThread_, std::move(state));
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
