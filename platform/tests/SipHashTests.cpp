#include <gtest/gtest.h>
#include <openssl/core_names.h>
#include <openssl/evp.h>
#include <openssl/params.h>

#include <vector>

#include "platform/SipHash.h"

namespace tavelin {
namespace {

// OpenSSL's SipHash MAC with one compression and three finalisation rounds, as the reference.
std::uint64_t openSSLSipHash13(const SipHashKey& key, std::span<const std::uint8_t> bytes) {
    EVP_MAC* mac = EVP_MAC_fetch(nullptr, "SIPHASH", nullptr);
    EVP_MAC_CTX* context = EVP_MAC_CTX_new(mac);
    unsigned int cRounds = 1;
    unsigned int dRounds = 3;
    size_t size = 8;
    const OSSL_PARAM params[] = {
        OSSL_PARAM_construct_uint("c-rounds", &cRounds),
        OSSL_PARAM_construct_uint("d-rounds", &dRounds),
        OSSL_PARAM_construct_size_t(OSSL_MAC_PARAM_SIZE, &size),
        OSSL_PARAM_construct_end(),
    };
    EXPECT_EQ(EVP_MAC_init(context, key.data(), key.size(), params), 1);
    EXPECT_EQ(EVP_MAC_update(context, bytes.data(), bytes.size()), 1);
    std::array<std::uint8_t, 8> out{};
    size_t written = 0;
    EXPECT_EQ(EVP_MAC_final(context, out.data(), &written, out.size()), 1);
    EXPECT_EQ(written, 8u);
    EVP_MAC_CTX_free(context);
    EVP_MAC_free(mac);
    std::uint64_t value = 0;
    for (int i = 7; i >= 0; --i) value = (value << 8) | out[static_cast<std::size_t>(i)];
    return value;
}

TEST(SipHashTest, AgreesWithOpenSSLForEveryLengthAroundTheBlockSize) {
    SipHashKey key{};
    for (std::size_t i = 0; i < key.size(); ++i) key[i] = static_cast<std::uint8_t>(i * 17 + 3);
    std::vector<std::uint8_t> input;
    for (std::size_t length = 0; length <= 40; ++length) {
        SipHasher13 whole(key);
        whole.update(input);
        EXPECT_EQ(whole.finish(), openSSLSipHash13(key, input)) << "length " << length;
        input.push_back(static_cast<std::uint8_t>(length * 31 + 7));
    }
}

TEST(SipHashTest, PiecesGiveTheSameHashAsTheWhole) {
    const SipHashKey key{9, 8, 7, 6, 5, 4, 3, 2, 1, 0, 255, 254, 253, 252, 251, 250};
    std::vector<std::uint8_t> input(29);
    for (std::size_t i = 0; i < input.size(); ++i) input[i] = static_cast<std::uint8_t>(i);
    SipHasher13 pieces(key);
    pieces.update(std::span(input).first(3));
    pieces.updateByte(input[3]);
    pieces.update(std::span(input).subspan(4, 13));
    pieces.update(std::span(input).subspan(17));
    EXPECT_EQ(pieces.finish(), openSSLSipHash13(key, input));
}

}  // namespace
}  // namespace tavelin
