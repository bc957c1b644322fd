#include "platform/PlistPrecheck.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <utility>
#include <vector>

namespace tavelin {
namespace {

// The object table of a binary property list ("bplist00"): a 32-byte trailer at the end gives the
// size of offsets and object references, the number of objects and where their offsets are.
class BinaryObjects {
  public:
    // False when the trailer makes no sense; the parser then refuses the file itself.
    bool open(std::string_view bytes) {
        constexpr std::size_t kTrailer = 32;
        if (bytes.size() < 8 + kTrailer || !bytes.starts_with("bplist")) return false;
        bytes_ = bytes;
        end_ = bytes.size() - kTrailer;
        offsetSize_ = static_cast<std::uint8_t>(bytes[end_ + 6]);
        referenceSize_ = static_cast<std::uint8_t>(bytes[end_ + 7]);
        count_ = number(end_ + 8, 8);
        top_ = number(end_ + 16, 8);
        table_ = number(end_ + 24, 8);
        return offsetSize_ >= 1 && offsetSize_ <= 8 && referenceSize_ >= 1 && referenceSize_ <= 8 &&
               table_ <= end_ && count_ <= (end_ - table_) / offsetSize_ && top_ < count_;
    }

    std::uint64_t count() const { return count_; }
    std::uint64_t top() const { return top_; }

    // An object's type (the high half of its marker), where its contents start and how many units
    // (characters, elements, pairs) it has. Absent when it lies outside the objects.
    struct Object {
        std::uint8_t type = 0;
        std::size_t contents = 0;
        std::uint64_t units = 0;
    };
    std::optional<Object> object(std::uint64_t index) const {
        std::size_t at = number(table_ + index * offsetSize_, offsetSize_);
        if (at >= end_) return std::nullopt;
        const auto marker = byte(at++);
        Object object{static_cast<std::uint8_t>(marker >> 4), at, marker & 0x0Fu};
        if (object.units == 0x0F) {  // the count follows as an integer object
            if (at >= end_ || byte(at) >> 4 != 0x1) return std::nullopt;
            const std::size_t size = std::size_t{1} << (byte(at) & 0x0F);
            if (size > 8 || at + 1 + size > end_) return std::nullopt;
            object.units = number(at + 1, size);
            object.contents = at + 1 + size;
        }
        return object;
    }

    // The objects an array, set or dictionary refers to (a dictionary's keys, then its values).
    std::vector<std::uint64_t> references(const Object& container) const {
        const std::uint64_t wanted =
            container.type == 0xD ? 2 * std::min<std::uint64_t>(container.units, end_) : container.units;
        const std::uint64_t fitting = (end_ - std::min(container.contents, end_)) / referenceSize_;
        std::vector<std::uint64_t> list(std::min(wanted, fitting));
        for (std::size_t i = 0; i < list.size(); ++i)
            list[i] = number(container.contents + i * referenceSize_, referenceSize_);
        return list;
    }

    std::uint8_t byte(std::size_t at) const { return static_cast<std::uint8_t>(bytes_[at]); }
    std::size_t end() const { return end_; }

  private:
    std::uint64_t number(std::size_t at, std::size_t size) const {
        std::uint64_t value = 0;
        for (std::size_t i = 0; i < size; ++i) value = value << 8 | byte(at + i);
        return value;
    }

    std::string_view bytes_;
    std::size_t end_ = 0;
    std::size_t offsetSize_ = 0;
    std::size_t referenceSize_ = 0;
    std::uint64_t count_ = 0;
    std::uint64_t top_ = 0;
    std::uint64_t table_ = 0;
};

bool isContainer(std::uint8_t type) { return type == 0xA || type == 0xC || type == 0xD; }

// Whether a UTF-16 string object holds U+0000. Each byte is looked at once, however many string
// objects overlap.
bool utf16StringHoldsNul(const BinaryObjects& objects) {
    std::vector<std::pair<std::size_t, std::size_t>> strings;
    for (std::uint64_t i = 0; i < objects.count(); ++i) {
        const auto object = objects.object(i);
        if (!object || object->type != 0x6 || object->contents >= objects.end()) continue;
        const auto units = std::min<std::uint64_t>(object->units, (objects.end() - object->contents) / 2);
        strings.emplace_back(object->contents, object->contents + units * 2);
    }
    std::ranges::sort(strings);
    // Code units of strings starting on even and on odd offsets are checked up to here.
    std::size_t checkedUpTo[2] = {0, 1};
    for (const auto& [from, to] : strings) {
        auto& checked = checkedUpTo[from % 2];
        for (std::size_t at = std::max(from, checked); at + 1 < to; at += 2) {
            if (objects.byte(at) == 0 && objects.byte(at + 1) == 0) return true;
        }
        checked = std::max(checked, to);
    }
    return false;
}

// Walks the tree that the top object spans, as a parser expands it: an object referred to twice counts
// twice. Refuses a container deeper than `maxDepth` below the top (at depth 0) and a tree of more than
// `maxValues` values; a cycle only deepens the walk until it is refused. Each object's references are
// read once: a finished object is remembered with the size of its tree.
std::optional<std::string> binaryTreeProblem(const BinaryObjects& objects, std::size_t maxDepth,
                                             std::uint64_t maxValues) {
    const std::string tooLarge = "holds more than " + std::to_string(maxValues) + " values";
    if (objects.count() > maxValues) return tooLarge;
    std::vector<std::uint64_t> treeSize(objects.count(), 0);  // 0 until finished
    struct Frame {
        std::uint64_t index;
        std::vector<std::uint64_t> children;
        std::size_t next = 0;
        std::uint64_t size = 1;
    };
    std::vector<Frame> path;
    // Adds a finished tree's size to the container that holds it; false when the sum is too large.
    const auto add = [&](std::uint64_t size) {
        auto& total = path.empty() ? treeSize[objects.top()] : path.back().size;
        total = std::min(total + size, maxValues + 1);
        return total <= maxValues;
    };
    const auto visit = [&](std::uint64_t index) {
        if (treeSize[index] != 0) return add(treeSize[index]);
        const auto object = objects.object(index);
        if (object && isContainer(object->type)) {
            path.push_back(Frame{index, objects.references(*object)});
            return true;
        }
        treeSize[index] = 1;
        return add(1);
    };
    visit(objects.top());
    while (!path.empty()) {
        if (path.size() > maxDepth + 1) return "nested deeper than " + std::to_string(maxDepth) + " levels";
        auto& frame = path.back();
        if (frame.next < frame.children.size()) {
            const auto child = frame.children[frame.next++];
            if (child < objects.count() && !visit(child)) return tooLarge;
            continue;
        }
        const auto finished = std::move(frame);
        path.pop_back();
        treeSize[finished.index] = finished.size;
        if (!path.empty() && !add(finished.size)) return tooLarge;
    }
    return std::nullopt;
}

// Nesting of <array> and <dict>, and the number of values, in XML; comments are skipped.
std::optional<std::string> xmlProblem(std::string_view text, std::size_t maxDepth, std::uint64_t maxValues) {
    std::size_t depth = 0;
    std::uint64_t values = 0;
    for (std::size_t at = text.find('<'); at != std::string_view::npos; at = text.find('<', at + 1)) {
        const auto rest = text.substr(at + 1);
        if (rest.starts_with("!--")) {
            at = text.find("-->", at);
            if (at == std::string_view::npos) break;
            continue;
        }
        if (rest.starts_with('/')) {
            if (rest.starts_with("/array") || rest.starts_with("/dict")) depth -= depth > 0 ? 1 : 0;
            continue;
        }
        if (rest.starts_with('!') || rest.starts_with('?') || rest.starts_with("key") ||
            rest.starts_with("plist")) {
            continue;
        }
        if (++values > maxValues) return "holds more than " + std::to_string(maxValues) + " values";
        const bool container = rest.starts_with("array") || rest.starts_with("dict");
        const auto close = text.find('>', at);
        const bool empty = close != std::string_view::npos && text[close - 1] == '/';
        if (container && !empty && ++depth > maxDepth + 1) {
            return "nested deeper than " + std::to_string(maxDepth) + " levels";
        }
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::string> plistPrecheck(std::string_view bytes, std::size_t maxDepth,
                                         std::uint64_t maxValues) {
    BinaryObjects objects;
    if (!objects.open(bytes)) return xmlProblem(bytes, maxDepth, maxValues);
    if (utf16StringHoldsNul(objects)) return "holds a string with a NUL character";
    return binaryTreeProblem(objects, maxDepth, maxValues);
}

}  // namespace tavelin
