#include "CHaldenExConfigSerializer.h"

#include "core/CFile.h"

#include <cstring>

namespace Orvane
{

namespace
{
constexpr char Magic[9] = "MORVALEX";
}

int CHaldenExConfigSerializer::write(CFile& file)
{
    const uint32_t bits = uint32_t(value);
    if (file.write(Magic, sizeof(Magic)) != sizeof(Magic) || !file.writeDword(bits)) return -1;
    return 0;
}

int CHaldenExConfigSerializer::read(CFile& file)
{
    char magic[sizeof(Magic) + 1] = {};
    if (file.read(magic, sizeof(Magic)) != sizeof(Magic) || std::strcmp(magic, Magic) != 0) return 0;
    uint32_t bits = 0;
    if (file.readDword(bits)) value = int32_t(bits);
    return 0;
}

} // namespace Orvane
