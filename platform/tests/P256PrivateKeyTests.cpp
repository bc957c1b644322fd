#include <gtest/gtest.h>

#include "platform/P256PrivateKey.h"

namespace tavelin {
namespace {

TEST(P256PrivateKey, GeneratedKeysAreValidAndScalarsOutsideTheCurveOrderAreNot) {
    const auto first = generateP256PrivateKey();
    const auto second = generateP256PrivateKey();
    ASSERT_TRUE(first && second);
    EXPECT_TRUE(isValidP256PrivateKey(*first));
    EXPECT_NE(*first, *second);

    EXPECT_FALSE(isValidP256PrivateKey(Bytes{std::vector<std::uint8_t>(32, 0)}));
    EXPECT_FALSE(isValidP256PrivateKey(Bytes{std::vector<std::uint8_t>(31, 1)}));
    // The curve's order n, and n - 1.
    Bytes order{{0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0xFF,
                 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xBC, 0xE6, 0xFA, 0xAD, 0xA7, 0x17,
                 0x9E, 0x84, 0xF3, 0xB9, 0xCA, 0xC2, 0xFC, 0x63, 0x25, 0x51}};
    EXPECT_FALSE(isValidP256PrivateKey(order));
    order.data.back() = 0x50;
    EXPECT_TRUE(isValidP256PrivateKey(order));
}

}  // namespace
}  // namespace tavelin
