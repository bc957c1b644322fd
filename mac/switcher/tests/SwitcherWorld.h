#pragma once

// A switcher controller on a simulated Mac, on virtual time: the Dock state built as the service
// container builds it, the window-actions log captured, labels measured with round advances.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "dockmodel/DockMainGrid.h"
#include "mac/core/DockDropHandler.h"
#include "mac/core/DockStateService.h"
#include "mac/core/FolderService.h"
#include "mac/core/IconService.h"
#include "mac/core/PermissionsService.h"
#include "mac/core/RunningAppsService.h"
#include "mac/core/SnapshotComposer.h"
#include "mac/settings/AppSettings.h"
#include "mac/switcher/SwitcherController.h"
#include "mac/switcher/tests/SteppedQueue.h"
#include "mac/windows/CommandExecutor.h"
#include "mac/windows/WindowActionService.h"
#include "mac/windows/WindowListService.h"
#include "platform/ManualFileWatcher.h"
#include "platform/sim/SimMac.h"
#include "platform/tests/TemporaryFolder.h"
#include "platform/ui/tests/FixedAdvanceMeasurer.h"
#include "runtime/VirtualScheduler.h"

namespace tavelin {

class SwitcherWorld : public ::testing::Test {
  public:
    // Finder and Safari running (Safari in front), Notes pinned, a Downloads folder; one screen of
    // 1440 by 900 whose visible frame leaves 25 points to the menu bar.
    static sim::Desktop standardDesktop() {
        return sim::Desktop{
            .applications = {{"com.apple.finder", "Finder", "/System/Library/CoreServices/Finder.app", true},
                             {"com.apple.Safari", "Safari", "/Applications/Safari.app", true},
                             {"com.apple.Notes", "Notes", "/System/Applications/Notes.app"},
                             {"com.apple.TextEdit", "TextEdit", "/System/Applications/TextEdit.app"}},
            .frontmost = "com.apple.Safari",
            .dock = sim::DesktopDock{.fixed = {{sim::DesktopDockTileKind::application, "com.apple.finder"},
                                               {sim::DesktopDockTileKind::application, "com.apple.Safari"},
                                               {sim::DesktopDockTileKind::application, "com.apple.Notes"}},
                                     .others = {{sim::DesktopDockTileKind::folder, "~/Downloads"}}}};
    }

  protected:
    explicit SwitcherWorld(sim::Desktop desktop = standardDesktop())
        : mac_(std::move(desktop), home_.path(), scheduler_, log_),
          settings_(mac_.standardUserDefaults(), mac_.host(), scheduler_.main()),
          runningApps_(mac_.workspace(), mac_.host(), scheduler_.main()),
          icons_({mac_.workspaceIcons(), mac_.workspace(), mac_.fileSystem(), mac_.folders(), mac_.host(),
                  mac_.notificationCenter()}),
          folders_(mac_.fileSystem(), scheduler_.clock()),
          composer_(settings_, icons_, mac_.workspace(), mac_.fileSystem()),
          permissions_(std::make_shared<PermissionsService>(
              PermissionsService::Platform{mac_.accessibility(), mac_.privacy(), mac_.userNotifications(),
                                           mac_.workspaceActions(), mac_.alerts(), mac_.fileSystem(),
                                           mac_.folders(), mac_.standardUserDefaults(), scheduler_.main()})),
          windowPlatform_{mac_.accessibility(), mac_.windowServer(), mac_.displays(), mac_.workspace(),
                          mac_.mouseCursor(), scheduler_, log_, actionLog_, mac_.privateWindowServer(),
                          mac_.windowServerConnection(), mac_.host(), mac_.workspace(), mac_.fileSystem(),
                          mac_.appleScripts()},
          windowList_(std::make_shared<WindowListService>(windowPlatform_)),
          resolver_(std::make_shared<WindowActionDisplayResolver>(mac_.displays())),
          appCommands_{windowPlatform_, mac_.workspaceActions(), mac_.folders(), mac_.appleEvents(),
                       mac_.processes()},
          windowActions_(windowList_, settings_, resolver_, appCommands_,
                         PointerAnimator::create(mac_.mouseCursor(), mac_.displays(), scheduler_)),
          executor_(appCommands_) {
        mac_.accessibility().setProcessTrusted(true);
        scheduler_.runUntilIdle();
        dockState_ =
            DockStateService::create({mac_.userDefaults(), mac_.folders(), mac_.workspace(), mac_.host(),
                                      mac_.accessibility(), watcher_, mac_.notificationCenter()},
                                     scheduler_, runningApps_, composer_, settings_);
        scheduler_.runUntilIdle();
    }

    // Made on first use, so that a test can set the defaults it reads first.
    SwitcherController& switcher() {
        if (!switcher_) {
            switcher_ = SwitcherController::make(
                {settings_, dockState_, folders_, icons_, windowList_, permissions_, drops_, executor_,
                 windowActions_, resolver_},
                {mac_.appWindows(), mac_.application(), mac_.workspace(), mac_.displays(),
                 mac_.standardUserDefaults(), mac_.notificationCenter(), scheduler_, actionLog_, measurer_,
                 mac_.input(), mac_.textInput(), mac_.fileSystem(), utilityQueue_, mac_.alerts()});
        }
        return *switcher_;
    }

    // The Dock state reads the world again and publishes; the switcher hears it a main turn later.
    void rebuildDock() {
        scheduler_.runUntilIdle();  // the running applications hear the workspace first
        dockState_->rebuild();
        scheduler_.runUntilIdle();
    }

    // The first item cell of the open panel with that title.
    std::optional<CellPath> pathTitled(std::string_view title) {
        const auto model = switcher().navigator.value();
        if (!model) return std::nullopt;
        for (const auto& entry : DockMainGrid::cells(model->presentation())) {
            if (const auto* item = entry.cell.asItem(); item && item->title == title) return entry.path;
        }
        return std::nullopt;
    }
    DockItem itemAt(CellPath path) { return *switcher().cell(path)->asItem(); }

    // In place of the panel's window command: notes "<item> <window>" when its task runs.
    static SwitcherDockAnchoredMenuController::WindowActivation notingActivations(
        std::vector<std::string>& noted) {
        return [&noted](const DockItem& item, const WindowDescriptor& window) {
            return note(noted, item.title + " " + window.title);
        };
    }
    static Task<void> note(std::vector<std::string>& noted, std::string entry) {
        noted.push_back(std::move(entry));
        co_return;
    }

    const sim::SimAppWindows::PanelState& lastPanel() {
        panels_ = mac_.appWindows().panels();
        return panels_.back();
    }

    Rect panelFrame() { return lastPanel().frame; }

    // The world's calls that start with one of the prefixes, in order.
    std::vector<std::string> calls(std::initializer_list<std::string_view> prefixes) {
        std::vector<std::string> selected;
        for (const auto& call : mac_.calls().calls()) {
            if (std::ranges::any_of(prefixes,
                                    [&](std::string_view prefix) { return call.starts_with(prefix); }))
                selected.push_back(call);
        }
        return selected;
    }

    TemporaryFolder home_;
    VirtualScheduler scheduler_;
    CapturedSystemLog log_;
    ManualFileWatcher watcher_;
    sim::SimMac mac_;
    AppSettings settings_;
    RunningAppsService runningApps_;
    IconService icons_;
    FolderService folders_;
    // The folder search's utility work runs when a test steps it.
    SteppedQueue utilityQueue_;
    CapturedWindowActionLog actionLog_;
    SnapshotComposer composer_;
    std::shared_ptr<PermissionsService> permissions_;
    WindowPlatform windowPlatform_;
    std::shared_ptr<WindowListService> windowList_;
    std::shared_ptr<WindowActionDisplayResolver> resolver_;
    AppCommandPlatform appCommands_;
    WindowActionService windowActions_;
    CommandExecutor executor_;
    std::shared_ptr<DockStateService> dockState_;
    ui::FixedAdvanceMeasurer measurer_;
    DockDropHandler drops_{{mac_.workspace(), mac_.launchServices(), mac_.fileSystem(),
                            mac_.workspaceActions(), mac_.dragPasteboard(), log_}};
    std::shared_ptr<SwitcherController> switcher_;

  private:
    std::vector<sim::SimAppWindows::PanelState> panels_;
};

}  // namespace tavelin
