#include "support/ParticleFileWriter.h"

#include "particle/ParticleFields.h"

#include <cstring>
#include <fstream>
#include <random>

using namespace Orvane::Particle;

namespace OrvaneTest
{

namespace
{

void putLittleEndian32(uint8_t* out, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out[i] = uint8_t(value >> (8 * i));
}

} // namespace

std::vector<uint8_t> particleFileBytes(const CParticleParameter& definition, bool oldLayout)
{
    std::vector<uint8_t> bytes(ParticleRecordSize);
    for (const ParticleField& field : particleFields())
    {
        const uint8_t* value = fieldBytes(definition.record, field);
        if (field.type == FieldType::Text)
        {
            std::memcpy(bytes.data() + field.offset, value, field.count);
            continue;
        }
        uint32_t word;
        std::memcpy(&word, value, 4);
        putLittleEndian32(bytes.data() + field.offset, word);
    }
    std::memcpy(bytes.data() + ParticleFieldBytes, definition.record.reserved, sizeof definition.record.reserved);
    if (oldLayout)
    {
        bytes.resize(OldParticleRecordSize);
        return bytes;
    }
    for (size_t i = 1; i < definition.textureNames.size(); ++i)
    {
        const std::string& name = definition.textureNames[i];
        bytes.push_back(uint8_t(name.size()));
        bytes.push_back(uint8_t(name.size() >> 8));
        bytes.insert(bytes.end(), name.begin(), name.end());
    }
    return bytes;
}

void writeParticleFile(const std::filesystem::path& root, const std::string& name, const std::vector<uint8_t>& bytes)
{
    const std::filesystem::path folder = root / "media" / "particle";
    std::filesystem::create_directories(folder);
    std::ofstream out(folder / (name + ".particle"), std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

CParticleParameter scrambledParticleParameter(uint32_t seed)
{
    std::mt19937 random(seed);
    CParticleParameter definition;
    for (const ParticleField& field : particleFields())
    {
        uint8_t* out = fieldBytes(definition.record, field);
        switch (field.type)
        {
        case FieldType::Int:
        {
            const int32_t value = int32_t(random());
            std::memcpy(out, &value, 4);
            break;
        }
        case FieldType::Float:
        {
            const float value = std::uniform_real_distribution<float>(-1e6f, 1e6f)(random);
            std::memcpy(out, &value, 4);
            break;
        }
        case FieldType::Text:
        {
            const size_t length = random() % field.count;
            for (size_t i = 0; i < length; ++i)
                out[i] = uint8_t('a' + random() % 26);
            break;
        }
        }
    }
    for (size_t i = 0; i < sizeof definition.record.reserved; ++i)
        definition.record.reserved[i] = uint8_t(i + 1);
    definition.textureNames = {fieldText(definition.record.texture_filename), "second.png", "third.png"};
    return definition;
}

} // namespace OrvaneTest
