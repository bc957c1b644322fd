#include "platform/Sha256.h"

#include <gtest/gtest.h>

#include <string_view>

namespace tavelin {
namespace {

std::span<const std::uint8_t> bytes(std::string_view text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

TEST(Sha256Test, KnownDigestsAndTheirHexadecimalStart) {
    EXPECT_EQ(hexPrefix(sha256(bytes("abc")), 32), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(hexPrefix(sha256(bytes("")), 8), "e3b0c44298fc1c14");
    EXPECT_EQ(hexPrefix(sha256(bytes("abc")), 0), "");
    EXPECT_EQ(hexPrefix(sha256(bytes("abc")), 99).size(), 64u);
}

}  // namespace
}  // namespace tavelin
