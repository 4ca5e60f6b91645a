#pragma once

#include <array>
#include <cstdint>

namespace Kavro
{

// The AES-256 key of every ".wpk" archive the engine, the library and orvane-wpk use. It is put
// together at run time and never stored as a byte table.
std::array<uint8_t, 32> BuildArchiveKey();

} // namespace Kavro
