#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>

namespace Kavro
{

using Sha256Digest = std::array<uint8_t, 32>;

// SHA-256 of bytes in one piece.
Sha256Digest sha256(const void* data, size_t size);

// SHA-256 of bytes that arrive in pieces. A failure of the underlying library makes finish()
// answer false.
class Sha256
{
public:
    Sha256();
    ~Sha256();
    Sha256(const Sha256&) = delete;
    Sha256& operator=(const Sha256&) = delete;

    bool update(const void* data, size_t size);
    bool finish(Sha256Digest& digest);

private:
    struct State;
    std::unique_ptr<State> state_;
    bool ok_ = true;
};

} // namespace Kavro
