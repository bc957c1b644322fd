#include "tools/DockSnapshotView.h"

#include <array>
#include <utility>
#include <vector>

#include "mac/core/IconService.h"
#include "tools/EscapedText.h"

namespace tavelin {
namespace {

std::string marks(const DockItem& item) {
    std::vector<const char*> marks;
    if (item.isRecentAppsTile) marks.push_back("recent");
    if (item.isRunning) marks.push_back("running");
    if (item.isActive) marks.push_back("active");
    if (item.isHidden) marks.push_back("hidden");
    if (!item.isAvailable) marks.push_back("unavailable");
    if (item.needsAttention) marks.push_back("attention");
    if (item.kind == DockItemKind::trash && item.iconToken) {
        marks.push_back(item.iconToken->rawValue() == kTrashTokenFull ? "full" : "empty");
    }
    if (marks.empty()) return "";
    std::string text = " (";
    for (std::size_t i = 0; i < marks.size(); ++i) text += (i ? ", " : "") + std::string(marks[i]);
    return text + ")";
}

}  // namespace

std::string readableDockSnapshot(const DockSnapshot& snapshot) {
    static constexpr std::array<std::pair<DockRegion, const char*>, 3> kRegions{{
        {DockRegion::fixedApps, "fixed apps:  "},
        {DockRegion::runningApps, "running apps:"},
        {DockRegion::dockOthers, "others:      "},
    }};
    std::string text = "Dock: generation " + std::to_string(snapshot.dockGeneration) + ", event sequence " +
                       std::to_string(snapshot.eventSequence) + "\n";
    for (const auto& [region, label] : kRegions) {
        text += "  ";
        text += label;
        for (const auto& item : snapshot.items) {
            if (item.region == region) text += "  " + escapedText(item.title) + marks(item);
        }
        text += "\n";
    }
    return text;
}

}  // namespace tavelin
