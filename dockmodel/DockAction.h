#pragma once

// A request the panel makes of the rest of the system. The navigator makes the activation cases; the
// switcher's menus make the others.

#include "protocol/Identifiers.h"

namespace tavelin {

struct DockAction {
    enum class Kind {
        launchOrActivate,
        openFolder,
        openChild,
        openFileOrURL,
        showInFinder,
        hideApp,
        unhideApp,
        quitApp,
        forceQuitApp,
        isProcessRunning,
        showInFinderChild,
        activateTrash,
        emptyTrash,
    };

    Kind kind = Kind::activateTrash;
    ItemID itemID;    // the item; the parent folder tile for openChild and showInFinderChild; empty for the
                      // Trash cases
    ChildID childID;  // only for openChild and showInFinderChild

    static DockAction launchOrActivate(ItemID id) { return {Kind::launchOrActivate, std::move(id), {}}; }
    static DockAction openFolder(ItemID id) { return {Kind::openFolder, std::move(id), {}}; }
    static DockAction openChild(ItemID parent, ChildID child) {
        return {Kind::openChild, std::move(parent), std::move(child)};
    }
    static DockAction openFileOrURL(ItemID id) { return {Kind::openFileOrURL, std::move(id), {}}; }
    static DockAction showInFinder(ItemID id) { return {Kind::showInFinder, std::move(id), {}}; }
    static DockAction hideApp(ItemID id) { return {Kind::hideApp, std::move(id), {}}; }
    static DockAction unhideApp(ItemID id) { return {Kind::unhideApp, std::move(id), {}}; }
    static DockAction quitApp(ItemID id) { return {Kind::quitApp, std::move(id), {}}; }
    static DockAction forceQuitApp(ItemID id) { return {Kind::forceQuitApp, std::move(id), {}}; }
    static DockAction isProcessRunning(ItemID id) { return {Kind::isProcessRunning, std::move(id), {}}; }
    static DockAction showInFinderChild(ItemID parent, ChildID child) {
        return {Kind::showInFinderChild, std::move(parent), std::move(child)};
    }
    static DockAction activateTrash() { return {Kind::activateTrash, {}, {}}; }
    static DockAction emptyTrash() { return {Kind::emptyTrash, {}, {}}; }

    friend bool operator==(const DockAction&, const DockAction&) = default;
};

}  // namespace tavelin
