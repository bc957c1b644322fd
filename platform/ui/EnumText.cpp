#include "platform/ui/EnumText.h"

#include "platform/ui/Color.h"
#include "platform/ui/Effects.h"
#include "platform/ui/Font.h"
#include "platform/ui/Symbol.h"
#include "platform/ui/TextTruncation.h"

namespace tavelin::ui {
namespace {

constexpr std::pair<ColorScheme, std::string_view> kColorSchemes[] = {{ColorScheme::light, "light"},
                                                                      {ColorScheme::dark, "dark"}};
constexpr std::pair<Material, std::string_view> kMaterials[] = {{Material::regular, "regular"}};
constexpr std::pair<FontWeight, std::string_view> kWeights[] = {
    {FontWeight::regular, "regular"}, {FontWeight::medium, "medium"}, {FontWeight::semibold, "semibold"}};
constexpr std::pair<Symbol, std::string_view> kSymbols[] = {
    {Symbol::magnifyingGlass, "magnifyingglass"}, {Symbol::appFill, "app.fill"},
    {Symbol::folderFill, "folder.fill"},          {Symbol::trashFill, "trash.fill"},
    {Symbol::docFill, "doc.fill"},                {Symbol::squareDashed, "square.dashed"},
    {Symbol::doc, "doc"}};
constexpr std::pair<Truncation, std::string_view> kTruncations[] = {{Truncation::tail, "tail"},
                                                                    {Truncation::middle, "middle"}};
constexpr std::pair<AnimationCurve, std::string_view> kCurves[] = {{AnimationCurve::none, "none"},
                                                                   {AnimationCurve::easeInOut, "easeInOut"}};

}  // namespace

std::string_view toString(ColorScheme scheme) { return textOf(kColorSchemes, scheme); }
std::optional<ColorScheme> colorSchemeFromString(std::string_view text) { return valueOf(kColorSchemes, text); }
std::string_view toString(Material material) { return textOf(kMaterials, material); }
std::optional<Material> materialFromString(std::string_view text) { return valueOf(kMaterials, text); }
std::string_view toString(FontWeight weight) { return textOf(kWeights, weight); }
std::optional<FontWeight> fontWeightFromString(std::string_view text) { return valueOf(kWeights, text); }
std::string_view toString(Symbol symbol) { return textOf(kSymbols, symbol); }
std::optional<Symbol> symbolFromString(std::string_view name) { return valueOf(kSymbols, name); }
std::string_view toString(Truncation truncation) { return textOf(kTruncations, truncation); }
std::optional<Truncation> truncationFromString(std::string_view text) { return valueOf(kTruncations, text); }
std::string_view toString(AnimationCurve curve) { return textOf(kCurves, curve); }
std::optional<AnimationCurve> animationCurveFromString(std::string_view text) { return valueOf(kCurves, text); }

}  // namespace tavelin::ui
