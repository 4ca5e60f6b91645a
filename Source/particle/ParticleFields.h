#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace Orvane::Particle
{

struct ParticleRecord;

enum class FieldType
{
    Int,   // i32
    Float, // f32
    Text   // char[count], ended by a zero byte within its bytes
};

// One keyed field of the definition record: its dotted key in the table form, where it lies in the
// record, its type and, for text, its size in bytes. The file reader, the table form and the test
// writers all walk this one list.
struct ParticleField
{
    std::string path;
    uint32_t offset;
    FieldType type;
    uint32_t count;

    uint32_t size() const { return type == FieldType::Text ? count : 4; }
};

// Every keyed field, in the order of the table form's nesting; together they cover the record's
// first ParticleFieldBytes bytes exactly once.
const std::vector<ParticleField>& particleFields();

// The field's bytes inside a record.
inline uint8_t* fieldBytes(ParticleRecord& record, const ParticleField& field)
{
    return reinterpret_cast<uint8_t*>(&record) + field.offset;
}
inline const uint8_t* fieldBytes(const ParticleRecord& record, const ParticleField& field)
{
    return reinterpret_cast<const uint8_t*>(&record) + field.offset;
}

} // namespace Orvane::Particle
