#include "kavro/Wpk2Cipher.h"

#include <openssl/evp.h>

#include <climits>
#include <memory>

namespace Kavro
{

namespace
{

// Fetched once: an implicit fetch on every block would cost more than the block itself.
const EVP_CIPHER* Aes256Cbc()
{
    static EVP_CIPHER* cipher = EVP_CIPHER_fetch(nullptr, "AES-256-CBC", nullptr);
    return cipher;
}

struct ContextDeleter
{
    void operator()(EVP_CIPHER_CTX* context) const { EVP_CIPHER_CTX_free(context); }
};

} // namespace

bool Wpk2Cipher::decrypt(uint8_t* data, size_t length) const
{
    return run(data, length, false);
}

bool Wpk2Cipher::encrypt(uint8_t* data, size_t length) const
{
    return run(data, length, true);
}

bool Wpk2Cipher::run(uint8_t* data, size_t length, bool encrypting) const
{
    size_t whole = length - length % Wpk2::CipherBlock;
    if (whole == 0)
        return true;
    const EVP_CIPHER* cipher = Aes256Cbc();
    std::unique_ptr<EVP_CIPHER_CTX, ContextDeleter> context(EVP_CIPHER_CTX_new());
    if (!cipher || !context ||
        EVP_CipherInit_ex(context.get(), cipher, nullptr, key_.data(), iv_.data(), encrypting ? 1 : 0) != 1 ||
        EVP_CIPHER_CTX_set_padding(context.get(), 0) != 1)
        return false;
    // The library counts in int: go in chunks of whole blocks; the chain carries over between them.
    constexpr size_t chunkLimit = size_t(INT_MAX) - size_t(INT_MAX) % Wpk2::CipherBlock;
    while (whole > 0)
    {
        const size_t chunk = whole < chunkLimit ? whole : chunkLimit;
        int produced = 0;
        if (EVP_CipherUpdate(context.get(), data, &produced, data, int(chunk)) != 1 || size_t(produced) != chunk)
            return false;
        data += chunk;
        whole -= chunk;
    }
    return true;
}

} // namespace Kavro
