#include "tools/WireCommands.h"

#include "protocol/DockSnapshotApplier.h"

namespace tavelin::wire {
namespace {

struct DiffRequest {
    static constexpr std::string_view typeName = "apply-diff";
    DockSnapshot snapshot;
    DockDiff diff;
};

bool fromJSON(const JsonValue& v, DiffRequest& request) {
    ObjectReader r(v);
    r.required("snapshot", request.snapshot).required("diff", request.diff);
    return r.ok();
}

}  // namespace

std::expected<std::string, std::string> applyDiff(std::string_view json) {
    const auto request = decodeJSON<DiffRequest>(json);
    if (!request) return std::unexpected(request.error().message);
    const auto result = DockSnapshotApplier::apply(request->diff, request->snapshot);
    if (!result) return std::string("null");
    auto text = encodeJSON(*result);
    if (!text) return std::unexpected(text.error().message);
    return std::move(*text);
}

}  // namespace tavelin::wire
