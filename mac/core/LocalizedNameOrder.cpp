#include "mac/core/LocalizedNameOrder.h"

#include <unicode/coll.h>
#include <unicode/locid.h>

#include <memory>
#include <string_view>

namespace tavelin {
namespace {

// One collator per thread: a collator is cheap to use and costly to make.
const icu::Collator* finderCollator() {
    thread_local const std::unique_ptr<icu::Collator> collator = [] {
        UErrorCode status = U_ZERO_ERROR;
        // The C locale's collation orders ASCII by code point, upper case first; no user sorts by that.
        auto locale = icu::Locale::getDefault();
        if (std::string_view(locale.getVariant()) == "POSIX") locale = icu::Locale::getRoot();
        std::unique_ptr<icu::Collator> made(icu::Collator::createInstance(locale, status));
        if (U_FAILURE(status) || !made) return std::unique_ptr<icu::Collator>();
        made->setStrength(icu::Collator::SECONDARY);
        return made;
    }();
    return collator.get();
}

}  // namespace

int localizedCaseInsensitiveCompare(std::string_view a, std::string_view b) {
    if (const auto* collator = finderCollator()) {
        UErrorCode status = U_ZERO_ERROR;
        const auto result =
            collator->compareUTF8(icu::StringPiece(a.data(), static_cast<int32_t>(a.size())),
                                  icu::StringPiece(b.data(), static_cast<int32_t>(b.size())), status);
        if (U_SUCCESS(status)) return result;
    }
    // Without ICU's data the byte order is still an order.
    return a.compare(b);
}

}  // namespace tavelin
