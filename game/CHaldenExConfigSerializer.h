#pragma once

#include "core/CSerializeObject.h"

#include <cstdint>

namespace Orvane
{

// The game's own record in "system.dat", after the settings record: "MORVALEX", a NUL byte and one
// 32-bit value.
class CHaldenExConfigSerializer : public CSerializeObject
{
public:
    static constexpr uint32_t RecordSize = 13;

    // 0, or -1 when a write failed.
    int write(CFile& file) override;
    // Always 0: a short record or another magic leaves the value as it was.
    int read(CFile& file) override;

    int32_t value = 1;
};

} // namespace Orvane
