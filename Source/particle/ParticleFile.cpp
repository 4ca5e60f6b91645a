#include "particle/ParticleFile.h"

#include "particle/CParticleParameter.h"
#include "particle/ParticleFields.h"

#include <kavro/Bytes.h>

#include <algorithm>
#include <array>
#include <cstring>

namespace Orvane::Particle
{

namespace
{

// Longest extra texture name.
constexpr uint16_t MaxNameLength = 256;
// The word after the polyline block that both conversions clear.
constexpr size_t ClearedReservedWord = 5552 - ParticleFieldBytes;

// Decodes every keyed field and copies the reserved bytes from a whole record's worth of bytes.
void decodeRecord(const std::array<uint8_t, ParticleRecordSize>& bytes, ParticleRecord& record)
{
    for (const ParticleField& field : particleFields())
    {
        uint8_t* out = fieldBytes(record, field);
        if (field.type == FieldType::Text)
        {
            std::memcpy(out, bytes.data() + field.offset, field.count);
            continue;
        }
        const uint32_t value = Kavro::loadLE32(bytes.data() + field.offset);
        std::memcpy(out, &value, 4);
    }
    std::memcpy(record.reserved, bytes.data() + ParticleFieldBytes, sizeof record.reserved);
}

void clearReservedWord(ParticleRecord& record)
{
    std::memset(record.reserved + ClearedReservedWord, 0, 4);
}

void clearPolyline(ParticleRecord& record)
{
    record.polyline = {};
    clearReservedWord(record);
}

// The extra names after the record: a u16 length and that many bytes each. A length of 0 or above
// the limit, or a name cut off by the end of the data, ends the list.
void readExtraNames(const uint8_t* data, size_t size, CParticleParameter& definition)
{
    Kavro::ByteReader reader(data, size);
    reader.skip(ParticleRecordSize);
    for (uint32_t i = 1; i < uint32_t(definition.record.texture_count); ++i)
    {
        uint16_t length = 0;
        const uint8_t* bytes = nullptr;
        if (!reader.u16(length) || length == 0 || length > MaxNameLength || !reader.take(bytes, length))
            return;
        const char* name = reinterpret_cast<const char*>(bytes);
        definition.textureNames.emplace_back(name, std::find(name, name + length, '\0'));
    }
}

} // namespace

bool readParticleFile(const uint8_t* data, size_t size, CParticleParameter& definition)
{
    if (!data || size < OldParticleRecordSize)
        return false;
    const bool oldLayout = size == OldParticleRecordSize;
    // A current-layout file cut short reads its missing record bytes as 0.
    std::array<uint8_t, ParticleRecordSize> bytes{};
    std::memcpy(bytes.data(), data, std::min(size, ParticleRecordSize));
    definition.clear();
    ParticleRecord& record = definition.record;
    decodeRecord(bytes, record);
    definition.textureNames.push_back(fieldText(record.texture_filename));
    if (oldLayout)
    {
        // Every field from the version on is zero already.
        record.texture_count = 1;
        record.texture_use_count = 1;
        clearReservedWord(record);
        return true;
    }
    if (record.version == 2)
        clearPolyline(record);
    if (size > ParticleRecordSize)
        readExtraNames(data, size, definition);
    if (record.texture_use_count == 0)
        record.texture_use_count = 1;
    return true;
}

} // namespace Orvane::Particle
