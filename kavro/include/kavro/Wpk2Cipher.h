#pragma once

#include "kavro/Wpk2Format.h"

#include <cstddef>
#include <cstdint>

namespace Kavro
{

// AES-256-CBC without padding over the whole 16-byte blocks of a buffer, in place. Every call starts the
// chain at the vector, as the archive format wants for its index and for each block.
class Wpk2Cipher
{
public:
    Wpk2Cipher(const Wpk2Key& key, const Wpk2Iv& iv) : key_(key), iv_(iv) {}

    // Bytes of a last partial block are left as they are. False when the cipher library fails.
    bool decrypt(uint8_t* data, size_t length) const;
    bool encrypt(uint8_t* data, size_t length) const;

private:
    bool run(uint8_t* data, size_t length, bool encrypting) const;

    Wpk2Key key_;
    Wpk2Iv iv_;
};

} // namespace Kavro
