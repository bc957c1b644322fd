#pragma once

// The identifier types of the protocol: distinct value types over one text. Two identifiers are equal
// when their texts are canonically equivalent Unicode; they compare and hash by the NFC form (of the text
// as the wire carries it, U+FFFD in place of bytes that are not UTF-8) but keep and write the text they
// were made from.

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace tavelin {

template <class Tag>
class Identifier {
public:
    Identifier() = default;
    explicit Identifier(std::string rawValue) : rawValue_(std::move(rawValue)) { normalize(); }
    explicit Identifier(std::string_view rawValue) : Identifier(std::string(rawValue)) {}
    explicit Identifier(const char* rawValue) : Identifier(std::string(rawValue)) {}

    const std::string& rawValue() const { return rawValue_; }
    // The form that equality and hashing use.
    std::string_view comparisonKey() const { return hasNFC_ ? std::string_view(nfc_) : std::string_view(rawValue_); }

    friend bool operator==(const Identifier& a, const Identifier& b) { return a.comparisonKey() == b.comparisonKey(); }

private:
    void normalize();

    std::string rawValue_;
    std::string nfc_;
    bool hasNFC_ = false;
};

struct RequestIDTag;
struct SessionIDTag;
struct DeviceIDTag;
struct MachineIDTag;
struct ItemIDTag;
struct ChildIDTag;
struct IconTokenTag;
struct WindowIDTag;
struct ScreenIDTag;

using DeviceID = Identifier<DeviceIDTag>;
using MachineID = Identifier<MachineIDTag>;
using ItemID = Identifier<ItemIDTag>;
using ChildID = Identifier<ChildIDTag>;
using IconToken = Identifier<IconTokenTag>;
using WindowID = Identifier<WindowIDTag>;
using ScreenID = Identifier<ScreenIDTag>;

class RequestID : public Identifier<RequestIDTag> {
public:
    using Identifier::Identifier;
    // A fresh random (version 4) UUID in upper-case canonical form.
    static RequestID generate();
};

class SessionID : public Identifier<SessionIDTag> {
public:
    using Identifier::Identifier;
    // A fresh random (version 4) UUID in lower-case canonical form: the Mac names sessions in lower
    // case, unlike request IDs and nonces.
    static SessionID generate();
};

// A random version 4 UUID in canonical form, upper case ("E621E1F8-C36C-495A-93FC-0C247A3E6E5F").
std::string randomUUIDString();

inline constexpr std::int64_t currentProtocolVersion = 1;
inline constexpr std::string_view bonjourServiceType = "_tavelin._tcp";

namespace Bonjour {
inline constexpr std::string_view serviceType = bonjourServiceType;
}

}  // namespace tavelin

template <class Tag>
struct std::hash<tavelin::Identifier<Tag>> {
    std::size_t operator()(const tavelin::Identifier<Tag>& id) const noexcept {
        return std::hash<std::string_view>{}(id.comparisonKey());
    }
};

template <>
struct std::hash<tavelin::RequestID> : std::hash<tavelin::Identifier<tavelin::RequestIDTag>> {};

template <>
struct std::hash<tavelin::SessionID> : std::hash<tavelin::Identifier<tavelin::SessionIDTag>> {};
