#include "kavro/Sha256.h"

#include <openssl/evp.h>

namespace Kavro
{

struct Sha256::State
{
    EVP_MD_CTX* context = EVP_MD_CTX_new();
    ~State() { EVP_MD_CTX_free(context); }
};

Sha256Digest sha256(const void* data, size_t size)
{
    Sha256Digest digest{};
    unsigned int length = 0;
    EVP_Digest(data, size, digest.data(), &length, EVP_sha256(), nullptr);
    return digest;
}

Sha256::Sha256() : state_(std::make_unique<State>())
{
    ok_ = state_->context && EVP_DigestInit_ex(state_->context, EVP_sha256(), nullptr) == 1;
}

Sha256::~Sha256() = default;

bool Sha256::update(const void* data, size_t size)
{
    ok_ = ok_ && EVP_DigestUpdate(state_->context, data, size) == 1;
    return ok_;
}

bool Sha256::finish(Sha256Digest& digest)
{
    ok_ = ok_ && EVP_DigestFinal_ex(state_->context, digest.data(), nullptr) == 1;
    return ok_;
}

} // namespace Kavro
