#include "tools/PanelPictureWriter.h"

#include "platform/ui/Renderer.h"

namespace tavelin {

PanelPictureWriter::PanelPictureWriter(SwitcherController& switcher, Scheduler& scheduler, const Screens& screens,
                                       std::filesystem::path path, Print report)
    : switcher_(switcher), scheduler_(scheduler), screens_(screens), path_(std::move(path)), report_(std::move(report)) {
    changes_ = switcher_.objectWillChange().sink([this](const std::monostate&) {
        if (std::exchange(queued_, true)) return;
        scheduler_.main().async([this, alive = alive_] {
            if (!*alive) return;
            queued_ = false;
            draw();
        });
    });
}

double PanelPictureWriter::scale() const {
    const auto screens = screens_.screens();
    const auto& id = switcher_.lastFollowedScreenID();
    for (const auto& screen : screens) {
        if (id && screen.screenNumber && std::to_string(*screen.screenNumber) == id->rawValue()) {
            return screen.backingScaleFactor;
        }
    }
    return screens.empty() ? 1.0 : screens.front().backingScaleFactor;
}

void PanelPictureWriter::draw() {
    if (!switcher_.panel() || !switcher_.panelHost()) return;
    // The controller lays its views out on a turn of its own, which may come after this one.
    switcher_.updatePanelHost();
    const auto host = switcher_.panelHost();
    if (!host) return;
    const auto& layout = host->layout();
    const auto written = ui::writePNG(layout.displayList, layout.size, scale(), path_);
    if (!written) {
        return report_("error: the panel's picture could not be written to " + path_.string() + ": " +
                       written.error().message);
    }
    report_("picture: " + path_.string() + " " + std::to_string(written->first) + "x" +
            std::to_string(written->second));
}

}  // namespace tavelin
