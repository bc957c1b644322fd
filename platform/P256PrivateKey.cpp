#include "platform/P256PrivateKey.h"

#include <openssl/bn.h>
#include <openssl/core_names.h>
#include <openssl/ec.h>
#include <openssl/evp.h>

#include <memory>

namespace tavelin {
namespace {

struct PKeyFree {
    void operator()(EVP_PKEY* key) const { EVP_PKEY_free(key); }
};
struct BNFree {
    void operator()(BIGNUM* number) const { BN_clear_free(number); }
};
struct GroupFree {
    void operator()(EC_GROUP* group) const { EC_GROUP_free(group); }
};

}  // namespace

std::expected<Bytes, std::string> generateP256PrivateKey() {
    const std::unique_ptr<EVP_PKEY, PKeyFree> key(EVP_PKEY_Q_keygen(nullptr, nullptr, "EC", "P-256"));
    if (!key) return std::unexpected("P-256 key generation failed");
    BIGNUM* raw = nullptr;
    if (!EVP_PKEY_get_bn_param(key.get(), OSSL_PKEY_PARAM_PRIV_KEY, &raw)) {
        return std::unexpected("P-256 key has no private scalar");
    }
    const std::unique_ptr<BIGNUM, BNFree> scalar(raw);
    Bytes bytes;
    bytes.data.resize(kP256PrivateKeyBytes);
    if (BN_bn2binpad(scalar.get(), bytes.data.data(), static_cast<int>(bytes.data.size())) < 0) {
        return std::unexpected("P-256 private scalar does not fit 32 bytes");
    }
    return bytes;
}

bool isValidP256PrivateKey(const Bytes& key) {
    if (key.data.size() != kP256PrivateKeyBytes) return false;
    const std::unique_ptr<EC_GROUP, GroupFree> group(EC_GROUP_new_by_curve_name(NID_X9_62_prime256v1));
    const std::unique_ptr<BIGNUM, BNFree> scalar(
        BN_bin2bn(key.data.data(), static_cast<int>(key.data.size()), nullptr));
    if (!group || !scalar) return false;
    return !BN_is_zero(scalar.get()) && BN_cmp(scalar.get(), EC_GROUP_get0_order(group.get())) < 0;
}

}  // namespace tavelin
