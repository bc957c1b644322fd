// The panel redraws on every keystroke: laying out a grid of cells with their labels must stay well under
// a frame, and drawing it to a PNG at the Retina scale is what a person looking at the panel waits for.

#include <benchmark/benchmark.h>

#include <filesystem>
#include <map>
#include <string>
#include <unistd.h>

#include "platform/ui/FramePreference.h"
#include "platform/ui/Host.h"
#include "platform/ui/Renderer.h"
#include "platform/ui/TextMeasurer.h"
#include "platform/ui/Views.h"

namespace tavelin::ui {
namespace {

constexpr double kIcon = 72;
constexpr int kColumns = 8;

const char* const kNames[] = {"Mail",     "Safari",      "Photo Mailer", "Notes",     "Calendar",
                              "Music",    "Terminal",    "Xcode",        "Preview",   "Maps",
                              "Messages", "Café Finder", "Downloads",    "Documents", "Reminders"};

const FramePreference<int> kAnchors("cellAnchors");

// A panel-shaped tree: rows of cells (a square with its icon, a running mark and a label cut in the
// middle), each reporting its frame, over a rounded material background.
View panel(int cells, const Image& icon, const Environment& environment) {
    std::vector<View> rows;
    std::vector<View> row;
    for (int i = 0; i < cells; ++i) {
        const bool selected = i == 3;
        const std::string title = std::string(kNames[i % std::size(kNames)]) + " application " + std::to_string(i);
        const View square = roundedRectangle(10, selected ? environment.accentColor.withOpacity(0.35) : Color::clear())
                                .frame(kIcon, kIcon)
                                .overlay(image(icon).padding(kIcon * 0.08))
                                .overlay(capsule(Color::black()).frame(6, 6).offset(0, 3), Alignment::bottom());
        const View label = text(title, Font::system(11, selected ? FontWeight::semibold : FontWeight::regular),
                                primaryLabelColor(environment.colorScheme), Truncation::middle)
                               .frame(kIcon, std::nullopt);
        const View cell = vstack(8, {square, label}).frame(kIcon, kIcon + 28, Alignment::top())
                              .onTap([] {})
                              .onHover([](const HoverPhase&) {})
                              .zIndex(selected ? 1 : 0)
                              .id(std::to_string(i));
        row.push_back(kAnchors.report(cell, i, "switcherHost"));
        if (static_cast<int>(row.size()) == kColumns || i + 1 == cells) {
            rows.push_back(hstack(12, row).padding(EdgeInsets{0, 6, 0, 6}));
            row.clear();
        }
    }
    return vstack(12, rows, HorizontalAlignment::leading)
        .padding(EdgeInsets{12, 16, 12, 16})
        .background(roundedRectangle(20, Material::regular))
        .coordinateSpace("switcherHost");
}

Image solidIcon() {
    return *Image::fromRGBA(Bitmap(128, 128, Rgba{40, 120, 220, 255}));
}

Host panelHost(int cells, std::shared_ptr<const TextMeasurer> measurer) {
    const Image icon = solidIcon();
    Host host(std::move(measurer),
              [cells, icon](const BuildContext& build) { return panel(cells, icon, build.environment); });
    const int rows = (cells + kColumns - 1) / kColumns;
    host.setSize({kColumns * (kIcon + 12) + 32, rows * (kIcon + 28) + (rows - 1) * 12 + 24});
    host.onPreferenceChange(kAnchors, [](const FramePreference<int>::Frames&) {});
    return host;
}

void BM_PanelLayout(benchmark::State& state) {
    Host host = panelHost(static_cast<int>(state.range(0)), makePangoTextMeasurer());
    host.update();  // a warm measurer
    for (auto _ : state) benchmark::DoNotOptimize(host.update().hitRegions.size());
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_PanelLayout)->Arg(60)->Arg(500)->Unit(benchmark::kMicrosecond)->Complexity(benchmark::oN);

void BM_PanelRender(benchmark::State& state) {
    Host host = panelHost(60, makePangoTextMeasurer());
    const LayoutResult result = host.update();
    for (auto _ : state) benchmark::DoNotOptimize(render(result.displayList, host.size(), 2));
}
BENCHMARK(BM_PanelRender)->Unit(benchmark::kMillisecond);

void BM_PanelWritePNG(benchmark::State& state) {
    Host host = panelHost(60, makePangoTextMeasurer());
    const LayoutResult result = host.update();
    const auto path = std::filesystem::temp_directory_path() / ("tavelin-bench-" + std::to_string(::getpid()) + ".png");
    for (auto _ : state) benchmark::DoNotOptimize(writePNG(result.displayList, host.size(), 2, path));
    std::filesystem::remove(path);
}
BENCHMARK(BM_PanelWritePNG)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tavelin::ui
