#include "mac/switcher/SwitcherController.h"

#include "mac/core/DockStateService.h"
#include "mac/switcher/SwitcherGridLayout.h"
#include "mac/switcher/SwitcherSearchField.h"
#include "mac/windows/ScreenSupport.h"

namespace tavelin {

namespace {

// The panel at its making: 720 by 480 at the origin, a non-activating HUD panel whose content fills it.
constexpr Rect kInitialContentRect{0, 0, 720, 480};
constexpr std::uint32_t kPanelStyle =
    kWindowStyleNonactivatingPanel | kWindowStyleHUDWindow | kWindowStyleFullSizeContentView;
constexpr std::uint64_t kPanelCollectionBehavior =
    kCollectionBehaviorCanJoinAllSpaces | kCollectionBehaviorFullScreenAuxiliary;

double seconds(Duration duration) { return std::chrono::duration<double>(duration).count(); }

}  // namespace

// Hears the panel losing the keyboard; the two callbacks are fixed when it is made.
class SwitcherController::PanelDelegate final : public AppPanelDelegate {
  public:
    PanelDelegate(std::function<void()> onClose, std::function<void()> onOutsideClick)
        : onClose(std::move(onClose)), onOutsideClick(std::move(onOutsideClick)) {}

    void windowDidResignKey() override { onOutsideClick(); }

    const std::function<void()> onClose;
    const std::function<void()> onOutsideClick;
};

std::shared_ptr<SwitcherController> SwitcherController::make(Services services, Platform platform) {
    auto controller = std::make_shared<SwitcherController>(Private{}, std::move(services), platform);
    controller->subscribeToSnapshots();
    return controller;
}

SwitcherController::SwitcherController(Private, Services services, Platform platform)
    : ObservableObject(platform.scheduler.main()),
      services_(std::move(services)),
      platform_(platform),
      folderPopover_(platform.windows),
      windowPopover_(platform.windows),
      dockAnchoredMenu_(platform.windows, platform.scheduler.main()) {
    // A missing key reads as 0, which is out of range.
    const double saved = platform_.standardDefaults.doubleForKey(kPanelIconSizeKey);
    if (saved >= minPanelIconSize && saved <= maxPanelIconSize) panelIconSize = saved;

    // The overlay controllers outlive every panel and the controller owns them: plain pointers suffice.
    folderPopover_.onClose = [this] {
        folderPresentPending_ = false;
        folderStack_.clear();
        folderDockItem_.reset();
        folderFocusIndex_.reset();
        folderAnchorPath_.reset();
        setFolderFilterText("");
    };
    dockAnchoredMenu_.onDidClose = [this] { setWindowsFilterText(""); };
    dockAnchoredMenu_.activateWindow = [this](const DockItem& item, const WindowDescriptor& window) {
        return activateListedWindow(item, window);
    };
}

SwitcherController::~SwitcherController() {
    idleTimer_.cancel();
    keyboardDwellTask_.cancel();
}

void SwitcherController::subscribeToSnapshots() {
    cancellables_.push_back(services_.dockState->snapshotPublisher().dropFirst().receiveOn(platform_.scheduler.main()).sink(
        [weak = weak_from_this()](const std::optional<DockSnapshot>& snapshot) {
            if (auto self = weak.lock()) self->refreshOpenPanel(snapshot);
        }));
}

void SwitcherController::openPanel(bool selectNextAfterActive) {
    if (panel_) return;
    activationHandoffTask_.handle.cancel();
    activationHandoffTask_ = {};
    autoModePanelRetained = false;

    const auto frontmost = platform_.workspace.frontmostApplication();
    auto snapshot = services_.dockState->snapshot().value_or(DockSnapshot{
        .dockGeneration = 0,
        .eventSequence = 0,
        .generatedAt = platform_.scheduler.clock().now(),
        .items = {},
        .separators = {},
        .runningSort = services_.settings.runningAppsSort.value(),
    });

    folderPopover_.close(true);
    folderPresentPending_ = false;
    lastFollowedScreenID_.reset();

    auto model = std::make_shared<DockNavigator>(std::move(snapshot), services_.settings.presentationOptions());
    const auto bundleID = frontmost ? frontmost->bundleIdentifier : std::nullopt;
    if (selectNextAfterActive) {
        model->selectNextAfterActiveApp(bundleID, kFinderBundleID);
    } else {
        model->selectActiveApp(bundleID, kFinderBundleID);
    }
    navigator = std::move(model);
    setFilterText("");

    // The root view reports its cells' rectangles through cellAnchorsChanged.
    auto host = makePanelHost();
    host->frame = kInitialContentRect;

    auto panel = std::make_unique<SwitcherPanel>(
        platform_.windows.makePanel(PanelConfiguration{kInitialContentRect, kPanelStyle, true, false}));
    auto& window = panel->window();
    window.setFloatingPanel(true);
    window.setLevel(kPopUpMenuWindowLevel);
    window.setCollectionBehavior(kPanelCollectionBehavior);
    window.setMovableByWindowBackground(false);
    window.setBackgroundColorClear();
    window.setContentView("container", false);
    window.setBecomesKeyOnlyIfNeeded(false);

    window.setPointerInputView(host.get());
    panelHost_ = std::move(host);
    panel_ = std::move(panel);

    applyTheme();
    fitPanelToContent();
    const auto screen = targetScreen();
    if (screen) {
        const Rect frame = window.frame();
        window.setFrameOrigin(SwitcherPanelGeometry::centredOrigin(screen->visibleFrame, frame.width, frame.height));
    }
    lastFollowedScreenID_ = screen ? std::optional(ScreenSupport::screenID(*screen)) : std::nullopt;
    updatePanelHost();

    const std::weak_ptr<SwitcherController> weak = weak_from_this();
    panelDelegate_ = std::make_unique<PanelDelegate>(
        [weak] {
            if (auto self = weak.lock()) self->close(true);
        },
        [weak] {
            if (auto self = weak.lock()) self->resignKeyRule();
        });
    window.setDelegate(panelDelegate_.get());
    window.makeKeyAndOrderFront();
    installSearchField(*panel_);

    platform_.application.activate(true);

    startLocalMonitor();
    startPanelDismissObservers();
    resetIdleTimer();
    panelBecameVisibleUptime = seconds(platform_.scheduler.clock().uptime());
    if (onPanelOpenChanged) onPanelOpenChanged(true);
}

void SwitcherController::close(bool discardState) {
    if (!panel_) return;
    if (onPanelOpenChanged) onPanelOpenChanged(false);

    folderPopover_.close(true);
    folderPresentPending_ = false;
    lastFollowedScreenID_.reset();

    dockMenuHoverPath.reset();
    dockMenuHoverTargetPath.reset();
    dockMenuPointerInPopover = false;

    cancelKeyboardDwell();
    overlayOpenedFromKeyboard = false;
    triggerMouseButtonHeld = false;
    retainConfirmArmed = false;
    autoModePanelRetained = false;

    if (onTriggerSessionArmedChanged) onTriggerSessionArmedChanged(false);

    dockAnchoredMenu_.close();
    windowPopover_.close();

    idleTimer_.cancel();
    idleTimer_ = WorkItem();

    removeMonitors();
    stopPanelDismissObservers();

    auto& window = panel_->window();
    window.setDelegate(nullptr);
    searchField_.reset();
    window.setPointerInputView(nullptr);
    panelHostRefresh_ = Subscription();
    panelHost_.reset();
    lastOpeningIcons_ = std::exchange(openingIcons_, {});

    panel_->locksSearchInput = false;
    panel_->searchInput.reset();
    window.setContentView("empty", true);
    window.orderOut();

    panel_.reset();
    panelDelegate_.reset();

    panelBecameVisibleUptime = 0;
    releasedBeforePanelShown = false;
    triggerModifiersEngaged = false;
    modifierReleaseHandled = false;

    setFilterText("");
    setFolderFilterText("");
    setWindowsFilterText("");
    dropHighlightPath = std::nullopt;
    if (discardState) navigator = nullptr;
}

void SwitcherController::refreshOpenPanel(const std::optional<DockSnapshot>& snapshot) {
    const auto model = navigator.value();
    if (!panel_ || !snapshot || !model) return;

    if (dockAnchoredMenu_.showsWindowsList()) {
        if (const auto& presented = dockAnchoredMenu_.model.presentedItemID.value()) {
            const auto found = std::ranges::find(snapshot->items, *presented, &DockItem::itemID);
            if (found != snapshot->items.end() && !found->isRunning) {
                dockAnchoredMenu_.close();
                dockMenuHoverPath.reset();
            }
        }
    }

    const auto before = model->layoutIdentityKeys();
    model->apply(*snapshot);
    uiTick = uiTick.value() + 1;
    if (model->layoutIdentityKeys() != before) {
        fitPanelToContent();
        centreInTargetScreen();
    }
}

std::optional<Screen> SwitcherController::screenUnderMouse() const {
    const Point mouse = platform_.screens.mouseLocation();
    for (auto& screen : platform_.screens.screens()) {
        if (mouseInRect(mouse, screen.frame, false)) return screen;
    }
    return std::nullopt;
}

std::optional<Screen> SwitcherController::targetScreen() const {
    switch (services_.settings.targetScreen.value()) {
        case TargetScreenSetting::mouseScreen:
            if (auto screen = screenUnderMouse()) return screen;
            return platform_.screens.mainScreen();
        case TargetScreenSetting::mainScreen: {
            auto screens = platform_.screens.screens();
            if (!screens.empty()) return screens.front();
            return platform_.screens.mainScreen();
        }
        case TargetScreenSetting::activeAppScreen:
            return platform_.screens.mainScreen();
    }
    return std::nullopt;
}

void SwitcherController::applyTheme() {
    if (!panel_) return;
    switch (services_.settings.theme.value()) {
        case ThemeSetting::light:
            panel_->window().setAppearance(Appearance::aqua);
            break;
        case ThemeSetting::dark:
            panel_->window().setAppearance(Appearance::darkAqua);
            break;
        case ThemeSetting::system:
            panel_->window().setAppearance(std::nullopt);
            break;
    }
}

void SwitcherController::centreInTargetScreen() {
    if (!panel_) return;
    const auto screen = targetScreen();
    if (!screen) return;
    auto& window = panel_->window();
    const Rect frame = window.frame();
    window.setFrameOrigin(SwitcherPanelGeometry::centredOrigin(screen->visibleFrame, frame.width, frame.height));
}

void SwitcherController::resetIdleTimer() {
    idleTimer_.cancel();
    idleTimer_ = platform_.scheduler.main().asyncAfter(kIdleTimeout, [weak = weak_from_this()] {
        auto self = weak.lock();
        if (!self) return;
        self->platform_.scheduler.main().async([weak] {
            auto self = weak.lock();
            if (!self || !self->panel_) return;
            self->platform_.windowActionLog.append(kIdleCloseLogLine);
            self->close(true);
        });
    });
}

void SwitcherController::closeSoon() {
    platform_.scheduler.main().async([weak = weak_from_this()] {
        if (auto self = weak.lock(); self && self->panel_) self->close(true);
    });
}

// A turn later: the panel stays while one of its overlays or a window of its own took the keyboard.
void SwitcherController::resignKeyRule() {
    platform_.scheduler.main().async([weak = weak_from_this()] {
        auto self = weak.lock();
        if (!self) return;
        if (self->folderPopover_.isShown() || self->dockAnchoredMenu_.isShown()) return;
        if (self->panel_) {
            const auto key = self->platform_.windows.keyWindow();
            if (key && key->parent == self->panel_->window().windowNumber()) return;
        }
        self->close(true);
    });
}

void SwitcherController::startPanelDismissObservers() {
    stopPanelDismissObservers();
    auto& main = platform_.scheduler.main();
    auto& workspaceCenter = platform_.workspace.notificationCenter();
    const std::weak_ptr<SwitcherController> weak = weak_from_this();
    const auto closing = [weak](const Notification&) {
        if (auto self = weak.lock()) self->closeSoon();
    };
    panelDismissObservers_.push_back(workspaceCenter.addObserver(
        std::string(kWorkspaceDidActivateApplication), nullptr, &main, [weak](const Notification& notification) {
            auto self = weak.lock();
            if (!self) return;
            const auto* application = notification.userInfoValue<RunningApplication>(kWorkspaceApplicationKey);
            if (!application) return;
            const std::optional<std::string> own(DockNavigator::ownBundleID);
            if (application->bundleIdentifier != own) self->closeSoon();
        }));
    panelDismissObservers_.push_back(platform_.defaultCenter.addObserver(
        std::string(kApplicationDidChangeScreenParameters), nullptr, &main, closing));
    panelDismissObservers_.push_back(
        workspaceCenter.addObserver(std::string(kWorkspaceActiveSpaceDidChange), nullptr, &main, closing));
    panelDismissObservers_.push_back(
        workspaceCenter.addObserver(std::string(kWorkspaceWillSleep), nullptr, &main, closing));
}

// Each token leaves its own centre as it goes.
void SwitcherController::stopPanelDismissObservers() { panelDismissObservers_.clear(); }

}  // namespace tavelin
