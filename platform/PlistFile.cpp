#include "platform/PlistFile.h"

#include <plist/plist.h>

#include <chrono>
#include <cstdlib>
#include <limits>
#include <memory>

#include "platform/FileContents.h"
#include "platform/PlistPrecheck.h"

namespace tavelin {
namespace {

using namespace std::chrono;

// Property-list dates count from 2001-01-01 00:00:00 UTC.
constexpr sys_seconds kPlistEpoch = sys_days{year{2001} / January / 1};

struct NodeDeleter {
    void operator()(plist_t node) const { plist_free(node); }
};
using Node = std::unique_ptr<void, NodeDeleter>;

struct CharsDeleter {
    void operator()(char* text) const { std::free(text); }
};

std::unexpected<PlistError> failure(std::string message) {
    return std::unexpected(PlistError{std::move(message)});
}

// --- From libplist ------------------------------------------------------------------------------------

std::expected<PlistValue, PlistError> fromNode(plist_t node, std::size_t depth);

std::expected<PlistValue, PlistError> fromArray(plist_t node, std::size_t depth) {
    PlistArray array;
    const auto count = plist_array_get_size(node);
    array.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        auto element = fromNode(plist_array_get_item(node, i), depth + 1);
        if (!element) return std::unexpected(std::move(element.error()));
        array.push_back(std::move(*element));
    }
    return array;
}

std::expected<PlistValue, PlistError> fromDict(plist_t node, std::size_t depth) {
    PlistDict dict;
    plist_dict_iter iterator = nullptr;
    plist_dict_new_iter(node, &iterator);
    const std::unique_ptr<void, decltype(&std::free)> ownedIterator(iterator, &std::free);
    for (;;) {
        char* rawKey = nullptr;
        plist_t child = nullptr;
        plist_dict_next_item(node, iterator, &rawKey, &child);
        const std::unique_ptr<char, CharsDeleter> key(rawKey);
        if (child == nullptr) break;
        auto value = fromNode(child, depth + 1);
        if (!value) return std::unexpected(std::move(value.error()));
        dict.set(key ? key.get() : "", std::move(*value));
    }
    return dict;
}

std::expected<PlistValue, PlistError> fromNode(plist_t node, std::size_t depth) {
    if (depth > kMaxPlistDepth) {
        return failure("nested deeper than " + std::to_string(kMaxPlistDepth) + " levels");
    }
    switch (plist_get_node_type(node)) {
        case PLIST_BOOLEAN: {
            std::uint8_t value = 0;
            plist_get_bool_val(node, &value);
            return PlistValue(value != 0);
        }
        case PLIST_UINT: {
            std::uint64_t value = 0;
            plist_get_uint_val(node, &value);
            return PlistValue(static_cast<std::int64_t>(value));
        }
        case PLIST_REAL: {
            double value = 0;
            plist_get_real_val(node, &value);
            return PlistValue(value);
        }
        case PLIST_STRING: {
            std::uint64_t length = 0;
            const char* text = plist_get_string_ptr(node, &length);
            return PlistValue(std::string(text ? text : "", text ? length : 0));
        }
        case PLIST_DATA: {
            std::uint64_t length = 0;
            const auto* bytes = reinterpret_cast<const std::uint8_t*>(plist_get_data_ptr(node, &length));
            return PlistValue(Bytes{{bytes, bytes + (bytes ? length : 0)}});
        }
        case PLIST_DATE: {
            std::int32_t sec = 0;
            std::int32_t usec = 0;
            plist_get_date_val(node, &sec, &usec);
            // libplist splits the stored double into its whole seconds toward zero and the size of the
            // fraction, so before 2001 the fraction counts backwards.
            const auto fraction = sec < 0 ? -microseconds(usec) : microseconds(usec);
            return PlistValue(Timestamp(kPlistEpoch + seconds(sec) + fraction));
        }
        case PLIST_ARRAY:
            return fromArray(node, depth);
        case PLIST_DICT:
            return fromDict(node, depth);
        case PLIST_UID:
            return failure("holds a keyed-archive UID, which preferences never hold");
        case PLIST_KEY:
        case PLIST_NONE:
            break;
    }
    return failure("holds a value of unknown type");
}

// --- To libplist --------------------------------------------------------------------------------------

// libplist takes strings as C strings: a NUL would cut the rest off silently.
bool isCString(std::string_view text) { return text.find('\0') == std::string_view::npos; }

std::expected<Node, PlistError> toNode(const PlistValue& value) {
    switch (value.kind()) {
        case PlistKind::boolean:
            return Node(plist_new_bool(*value.getIf<bool>() ? 1 : 0));
        case PlistKind::integer:
            return Node(plist_new_uint(static_cast<std::uint64_t>(*value.getIf<std::int64_t>())));
        case PlistKind::real:
            return Node(plist_new_real(*value.getIf<double>()));
        case PlistKind::string: {
            const auto& text = *value.getIf<std::string>();
            if (!isCString(text)) return failure("a string holds a NUL character");
            return Node(plist_new_string(text.c_str()));
        }
        case PlistKind::data: {
            const auto& bytes = value.getIf<Bytes>()->data;
            return Node(plist_new_data(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
        }
        case PlistKind::date: {
            const auto since = *value.getIf<Timestamp>() - kPlistEpoch;
            const auto whole = floor<seconds>(since);
            if (whole.count() < std::numeric_limits<std::int32_t>::min() ||
                whole.count() > std::numeric_limits<std::int32_t>::max()) {
                return failure("a date lies outside the years 1933 to 2069");
            }
            return Node(plist_new_date(static_cast<std::int32_t>(whole.count()),
                                       static_cast<std::int32_t>((since - whole).count())));
        }
        case PlistKind::array: {
            Node array(plist_new_array());
            for (const auto& element : *value.getIf<PlistArray>()) {
                auto child = toNode(element);
                if (!child) return child;
                plist_array_append_item(array.get(), child->release());
            }
            return array;
        }
        case PlistKind::dict: {
            Node dict(plist_new_dict());
            for (const auto& [key, element] : *value.getIf<PlistDict>()) {
                if (!isCString(key)) return failure("a key holds a NUL character");
                auto child = toNode(element);
                if (!child) return child;
                plist_dict_set_item(dict.get(), key.c_str(), child->release());
            }
            return dict;
        }
    }
    return failure("holds a value of unknown type");
}

}  // namespace

std::expected<PlistValue, PlistError> parsePlist(std::string_view bytes) {
    if (bytes.size() > std::numeric_limits<std::uint32_t>::max()) return failure("too large to read");
    if (auto problem = plistPrecheck(bytes, kMaxPlistDepth, kMaxPlistValues))
        return failure(std::move(*problem));
    plist_t root = nullptr;
    plist_from_memory(bytes.data(), static_cast<std::uint32_t>(bytes.size()), &root);
    if (root == nullptr) return failure("not a property list, or a damaged one");
    const Node owned(root);
    return fromNode(root, 0);
}

std::expected<std::string, PlistError> serializePlist(const PlistValue& value, PlistFormat format) {
    auto root = toNode(value);
    if (!root) return std::unexpected(std::move(root.error()));
    char* raw = nullptr;
    std::uint32_t length = 0;
    const bool binary = format == PlistFormat::binary;
    binary ? plist_to_bin(root->get(), &raw, &length) : plist_to_xml(root->get(), &raw, &length);
    if (raw == nullptr) return failure("could not be written");
    std::string text(raw, length);
    binary ? plist_to_bin_free(raw) : plist_to_xml_free(raw);
    return text;
}

std::expected<PlistValue, PlistError> readPlistFile(const std::filesystem::path& path) {
    auto bytes = readFileContents(path, kMaxPlistFileBytes);
    if (!bytes) return failure(std::move(bytes.error().message));
    auto value = parsePlist(*bytes);
    if (!value) return failure(path.string() + ": " + value.error().message);
    return value;
}

std::expected<void, PlistError> writePlistFile(const std::filesystem::path& path, const PlistValue& value,
                                               PlistFormat format) {
    auto bytes = serializePlist(value, format);
    if (!bytes) return failure(path.string() + ": " + bytes.error().message);
    auto written = writeFileAtomically(path, *bytes);
    if (!written) return failure(std::move(written.error().message));
    return {};
}

}  // namespace tavelin
