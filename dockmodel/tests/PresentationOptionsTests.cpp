#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <string>

#include "dockmodel/Density.h"
#include "dockmodel/PresentationOptions.h"
#include "dockmodel/tests/DockModelFixtures.h"
#include "protocol/JsonCoding.h"

namespace tavelin {
namespace {

constexpr std::string_view kOptionsJSON =
    R"({"showSeparators":true,"reproduceSpacers":false,"showUnavailableItems":true,"hiddenAppsMode":"dimmed",)"
    R"("backgroundOnlyAppsMode":"trailing","runningSort":"launchOrder","folderChildrenSort":"dateAdded",)"
    R"("filterText":"ma\/il","itemStyle":"list"})";

PresentationOptions sampleOptions() {
    return {.showSeparators = true,
            .reproduceSpacers = false,
            .showUnavailableItems = true,
            .hiddenAppsMode = HiddenAppsMode::dimmed,
            .backgroundOnlyAppsMode = BackgroundOnlyAppsMode::trailing,
            .runningSort = RunningAppsSort::launchOrder,
            .folderChildrenSort = FolderArrangement::dateAdded,
            .filterText = "ma/il",
            .itemStyle = ItemStyle::list};
}

TEST(PresentationOptions, WritesEveryKeyInOrderAndReadsItBack) {
    EXPECT_EQ(encodeJSON(sampleOptions()).value(), kOptionsJSON);
    EXPECT_EQ(decodeJSON<PresentationOptions>(kOptionsJSON).value(), sampleOptions());
}

TEST(PresentationOptions, EveryKeyIsRequired) {
    for (const std::string key :
         {"showSeparators", "reproduceSpacers", "showUnavailableItems", "hiddenAppsMode",
          "backgroundOnlyAppsMode", "runningSort", "folderChildrenSort", "filterText", "itemStyle"}) {
        // The member goes with the comma that parts it from its neighbour.
        std::string json(kOptionsJSON);
        auto start = json.find("\"" + key + "\":");
        auto end = json.find_first_of(",}", start);
        json[end] == ',' ? ++end : --start;
        json.erase(start, end - start);
        const auto decoded = decodeJSON<PresentationOptions>(json);
        ASSERT_FALSE(decoded.has_value()) << json;
        EXPECT_EQ(decoded.error().message, "PresentationOptions: missing required key \"" + key + "\"");
    }
}

TEST(PresentationOptions, EnumerationTextsAreExact) {
    // The settings say "dim"; these options say "dimmed".
    std::string json(kOptionsJSON);
    json.replace(json.find("\"dimmed\""), 8, "\"dim\"");
    const auto decoded = decodeJSON<PresentationOptions>(json);
    ASSERT_FALSE(decoded.has_value());
    EXPECT_EQ(decoded.error().message, "PresentationOptions.hiddenAppsMode: no case \"dim\"");

    EXPECT_EQ(enumFromString<BackgroundOnlyAppsMode>("trailing"), BackgroundOnlyAppsMode::trailing);
    EXPECT_EQ(enumFromString<ItemStyle>("iconLabel"), ItemStyle::iconLabel);
    EXPECT_EQ(enumFromString<HiddenAppsMode>("Hide"), std::nullopt);
}

TEST(DensityPreference, TaggedUnionForm) {
    EXPECT_EQ(encodeJSON(DensityPreference::fixed(Density::regular)).value(),
              R"({"fixed":{"_0":"regular"}})");
    EXPECT_EQ(encodeJSON(DensityPreference::automatic()).value(), R"({"auto":{}})");
    EXPECT_EQ(decodeJSON<DensityPreference>(R"({"fixed":{"_0":"compact"}})").value(),
              DensityPreference::fixed(Density::compact));
    EXPECT_EQ(decodeJSON<DensityPreference>(R"({"auto":{}})").value(), DensityPreference::automatic());
}

TEST(DensityPreference, MalformedFormsFail) {
    const struct {
        std::string_view json;
        std::string_view error;
    } cases[] = {
        {R"({"fixed":{"_0":"compact"},"auto":{}})",
         "DensityPreference: Invalid number of keys found, expected one."},
        {R"({})", "DensityPreference: Invalid number of keys found, expected one."},
        {R"({"fixed":{}})", "DensityPreference.fixed: missing required key \"_0\""},
        {R"({"fixed":{"_0":"tight"}})", "DensityPreference.fixed._0: no case \"tight\""},
        {R"({"auto":true})", "DensityPreference.auto: expected an object, found a Boolean"},
    };
    for (const auto& c : cases) {
        const auto decoded = decodeJSON<DensityPreference>(c.json);
        ASSERT_FALSE(decoded.has_value()) << c.json;
        EXPECT_EQ(decoded.error().message, c.error) << c.json;
    }
}

TEST(DensityResolver, FixedWinsAndAutoTellsFitFromOverflow) {
    const std::vector<double> none;
    const std::vector<double> fitting = {300, 400};
    const std::vector<double> oneTooWide = {300, 400.5};
    const struct {
        DensityPreference preference;
        const std::vector<double>& widths;
        Density expected;
    } cases[] = {
        {DensityPreference::fixed(Density::compact), oneTooWide, Density::compact},
        {DensityPreference::fixed(Density::compact), fitting, Density::compact},
        {DensityPreference::fixed(Density::spacious), none, Density::spacious},
        {DensityPreference::automatic(), none, Density::spacious},
        {DensityPreference::automatic(), fitting, Density::spacious},  // a width equal to the space fits
        {DensityPreference::automatic(), oneTooWide, Density::compact},
    };
    for (const auto& c : cases) EXPECT_EQ(DensityResolver::resolve(c.preference, c.widths, 400), c.expected);
    const std::vector<double> notANumber = {std::nan("")};
    EXPECT_EQ(DensityResolver::resolve(DensityPreference::automatic(), notANumber, 400), Density::compact);
}

}  // namespace
}  // namespace tavelin
