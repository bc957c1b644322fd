// The switcher controller's side of the panel's views: hosting them, keeping them current, and the
// icons they show.

#include "mac/core/IconService.h"
#include "mac/switcher/SwitcherController.h"
#include "mac/switcher/views/SwitcherRootView.h"
#include "platform/ImageCoding.h"

namespace tavelin {

std::shared_ptr<SwitcherHostView> SwitcherController::makePanelHost() {
    // The measurer outlives the controller (the process's), so the host borrows it.
    auto host = makeSwitcherHostView(
        shared_from_this(),
        std::shared_ptr<const ui::TextMeasurer>(std::shared_ptr<void>(), &platform_.textMeasurer));
    // Changes come in bursts (a selection raises uiTick and refits): one layout a main-queue turn later.
    const std::weak_ptr<SwitcherController> weak = weak_from_this();
    panelHostRefresh_ = objectWillChange().sink([weak](const std::monostate&) {
        auto self = weak.lock();
        if (!self || self->panelHostUpdateQueued_) return;
        self->panelHostUpdateQueued_ = true;
        self->platform_.scheduler.main().async([weak] {
            if (auto later = weak.lock()) {
                later->panelHostUpdateQueued_ = false;
                later->updatePanelHost();
            }
        });
    });
    return host;
}

void SwitcherController::updatePanelHost() {
    if (!panel_ || !panelHost_) return;
    ui::Environment environment;
    environment.colorScheme = panel_->window().effectiveAppearance() == Appearance::darkAqua
                                  ? ui::ColorScheme::dark
                                  : ui::ColorScheme::light;
    environment.reduceMotion = platform_.workspace.accessibilityDisplayShouldReduceMotion();
    // Keeps the host alive while its handlers may replace it.
    const std::shared_ptr<SwitcherHostView> host = panelHost_;
    host->update(environment);
}

std::optional<ui::Image> SwitcherController::iconImage(const DockPresentation::Cell& cell) {
    // The cell's own source, read in place.
    static const std::optional<std::string> kNone;
    const std::optional<std::string>* path = &kNone;
    const std::optional<std::string>* bundleID = &kNone;
    const std::optional<IconToken>* token = nullptr;
    if (const DockItem* item = cell.asItem()) {
        path = &item->path;
        bundleID = &item->bundleID;
        token = &item->iconToken;
    } else if (const auto* child = cell.asFolderChild()) {
        path = &child->child.path;
        token = &child->child.iconToken;
    } else {
        return std::nullopt;
    }
    // Paths hold no NUL, so the key is unambiguous.
    std::string key = path->value_or("");
    key += '\0';
    if (*bundleID) key += **bundleID;
    // A new token for the same source says that its picture may have changed while the panel is open
    // (the Trash's after a drop onto it): the icon service is asked again, and only a picture not seen
    // before is decoded. One rendered just now is shown without decoding it.
    const auto found = openingIcons_.find(key);
    if (found != openingIcons_.end() && found->second.token == *token) return found->second.image;
    Bitmap drawn;
    DecodedIcon icon{.token = *token, .png = services_.icons.sharedPNG128(*path, *bundleID, &drawn)};
    const auto last = lastOpeningIcons_.find(key);
    if (found != openingIcons_.end() && found->second.png == icon.png) {
        icon.image = found->second.image;
    } else if (last != lastOpeningIcons_.end() && last->second.png == icon.png) {
        icon.image = last->second.image;
    } else if (!drawn.empty()) {
        icon.image = ui::Image::fromRGBA(drawn);
    } else if (icon.png) {
        if (const auto bitmap = decodePNG(icon.png->data)) icon.image = ui::Image::fromRGBA(*bitmap);
    }
    return openingIcons_.insert_or_assign(std::move(key), std::move(icon)).first->second.image;
}

}  // namespace tavelin
