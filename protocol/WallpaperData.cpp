#include "protocol/WallpaperData.h"

#include "protocol/JsonCoding.h"

namespace tavelin {

WallpaperData WallpaperData::unavailable(std::string_view currentToken) {
    return WallpaperData{.token = std::string(currentToken.empty() ? "empty" : currentToken)};
}

void toJSON(JsonWriter& w, const CGSizeCodable& size) {
    w.beginObject();
    writeField(w, "width", size.width);
    writeField(w, "height", size.height);
    w.endObject();
}

bool fromJSON(const JsonValue& v, CGSizeCodable& size) {
    return ObjectReader(v).required("width", size.width).required("height", size.height).ok();
}

void toJSON(JsonWriter& w, const WallpaperFetch& fetch) {
    w.beginObject();
    writeField(w, "knownToken", fetch.knownToken);
    w.endObject();
}

bool fromJSON(const JsonValue& v, WallpaperFetch& fetch) {
    return ObjectReader(v).optional("knownToken", fetch.knownToken).ok();
}

void toJSON(JsonWriter& w, const WallpaperData& wallpaper) {
    w.beginObject();
    writeField(w, "token", wallpaper.token);
    writeField(w, "jpegBase64", wallpaper.jpegBase64);
    writeField(w, "size", wallpaper.size);
    w.endObject();
}

bool fromJSON(const JsonValue& v, WallpaperData& wallpaper) {
    ObjectReader r(v);
    r.required("token", wallpaper.token)
        .required("jpegBase64", wallpaper.jpegBase64)
        .required("size", wallpaper.size);
    return r.ok();
}

}  // namespace tavelin
