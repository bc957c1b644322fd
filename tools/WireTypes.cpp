#include "tools/WireTypes.h"

#include "protocol/DockDiff.h"
#include "protocol/DockSnapshot.h"
#include "protocol/FolderSnapshot.h"

namespace tavelin::wire {

const std::vector<WireType>& wireTypes() {
    static const std::vector<WireType> types = {
        wireType<DockItem>(),       wireType<DockSeparator>(),  wireType<DockSnapshot>(),
        wireType<DockDiff>(),       wireType<FolderSnapshot>(), wireType<FolderChild>(),
    };
    return types;
}

const WireType* findWireType(std::string_view name) {
    for (const auto& type : wireTypes()) {
        if (type.name == name) return &type;
    }
    return nullptr;
}

}  // namespace tavelin::wire
