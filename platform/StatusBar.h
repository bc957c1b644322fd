#pragma once

// The system status bar (the right side of the menu bar): an item with a button showing a picture and
// a menu that opens from it. Menu actions run on the main thread when the user chooses them.
// Main thread.

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tavelin {

// A system symbol picture for the item's button. A template picture follows the menu bar's colours.
struct StatusItemImage {
    std::string systemSymbolName;
    bool isTemplate = false;
    std::string accessibilityDescription;
    friend bool operator==(const StatusItemImage&, const StatusItemImage&) = default;
};

// One row of the menu: a separator when it has no title.
struct StatusMenuItem {
    std::string title;  // a localisation key
    std::string keyEquivalent;
    std::function<void()> action;

    bool isSeparator() const { return title.empty(); }
};

class StatusItem {
  public:
    virtual ~StatusItem() = default;

    virtual void setImage(StatusItemImage image) = 0;
    virtual void setMenu(std::vector<StatusMenuItem> menu) = 0;
    virtual void setVisible(bool visible) = 0;
    virtual bool isVisible() const = 0;
};

class StatusBar {
  public:
    virtual ~StatusBar() = default;

    // A variable-length item, visible, without picture or menu; destroying the handle removes it.
    virtual std::unique_ptr<StatusItem> makeStatusItem() = 0;
};

}  // namespace tavelin
