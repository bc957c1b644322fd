#pragma once

// What a record's header needs to declare its wire coding, `toJSON(JsonWriter&, const Record&)` and
// `fromJSON(const JsonValue&, Record&)`, without the codec itself: the files that encode or decode
// include "protocol/JsonCoding.h", which keeps the JSON parser out of every other file.

#include "protocol/Base64.h"
#include "protocol/DecodeError.h"
#include "protocol/EnumText.h"
#include "protocol/Identifiers.h"
#include "protocol/Timestamp.h"

namespace tavelin {

class JsonWriter;
class JsonValue;

}  // namespace tavelin
