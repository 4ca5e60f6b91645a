#include "particle/Squirrel/ParticleTable.h"

#include "particle/CParticleParameter.h"
#include "particle/ParticleFields.h"
#include "script/CSquirrel.h"
#include "script/TableReaders.h"

#include <cstring>
#include <map>
#include <string>

namespace Orvane::Particle
{

namespace
{

const char* const TextureListKey = "texture_filename_list";

// The nested tables of one table form by key prefix ("sprite.size"), the top under "".
class TableTree
{
public:
    explicit TableTree(SquirrelObject top) { tables.emplace("", std::move(top)); }

    // The table holding the field of path; missing tables are made (build) or answered as null (read).
    const SquirrelObject& holderOf(const std::string& path, bool make)
    {
        const size_t dot = path.rfind('.');
        return tableAt(dot == std::string::npos ? std::string() : path.substr(0, dot), make);
    }

private:
    const SquirrelObject& tableAt(const std::string& prefix, bool make)
    {
        if (auto known = tables.find(prefix); known != tables.end())
            return known->second;
        const size_t dot = prefix.rfind('.');
        const SquirrelObject& parent = tableAt(dot == std::string::npos ? std::string() : prefix.substr(0, dot), make);
        const std::string key = prefix.substr(dot == std::string::npos ? 0 : dot + 1);
        SquirrelObject table;
        if (make)
        {
            table = CSquirrel::createTable();
            SquirrelObject(parent).SetValue(key.c_str(), table);
        }
        else if (parent.GetType() == OT_TABLE)
        {
            table = parent.GetValue(key.c_str());
        }
        return tables.emplace(prefix, std::move(table)).first->second;
    }

    std::map<std::string, SquirrelObject> tables;
};

const char* lastKey(const std::string& path)
{
    const size_t dot = path.rfind('.');
    return path.c_str() + (dot == std::string::npos ? 0 : dot + 1);
}

void writeField(SquirrelObject& holder, const ParticleField& field, const ParticleRecord& record)
{
    const uint8_t* bytes = fieldBytes(record, field);
    const char* key = lastKey(field.path);
    switch (field.type)
    {
    case FieldType::Int:
    {
        int32_t value;
        std::memcpy(&value, bytes, 4);
        holder.SetValue(key, SQInteger(value));
        break;
    }
    case FieldType::Float:
    {
        float value;
        std::memcpy(&value, bytes, 4);
        holder.SetValue(key, SQFloat(value));
        break;
    }
    case FieldType::Text:
    {
        const char* text = reinterpret_cast<const char*>(bytes);
        const std::string value(text, strnlen(text, field.count));
        holder.SetValue(key, value.c_str());
        break;
    }
    }
}

void readField(const SquirrelObject& holder, const ParticleField& field, ParticleRecord& record)
{
    uint8_t* bytes = fieldBytes(record, field);
    const char* key = lastKey(field.path);
    switch (field.type)
    {
    case FieldType::Int:
    {
        int32_t value;
        if (getTableInt(holder, key, value))
            std::memcpy(bytes, &value, 4);
        break;
    }
    case FieldType::Float:
    {
        float value;
        if (getTableFloat(holder, key, value))
            std::memcpy(bytes, &value, 4);
        break;
    }
    case FieldType::Text:
        getTableString(holder, key, reinterpret_cast<char*>(bytes), field.count);
        break;
    }
}

void readTextureNames(CParticleParameter& definition, const SquirrelObject& table)
{
    definition.textureNames.clear();
    SquirrelObject list = table.GetValue(TextureListKey);
    if (list.GetType() != OT_ARRAY && list.GetType() != OT_TABLE)
        return;
    SquirrelObject key;
    SquirrelObject value;
    list.BeginIteration();
    while (list.Next(key, value))
        definition.textureNames.emplace_back(value.GetType() == OT_STRING ? value.ToString() : "");
}

} // namespace

SquirrelObject buildParticleParameterTable(const CParticleParameter& definition)
{
    TableTree tree(CSquirrel::createTable());
    for (const ParticleField& field : particleFields())
    {
        SquirrelObject holder = tree.holderOf(field.path, true);
        writeField(holder, field, definition.record);
    }
    return tree.holderOf("", true);
}

SquirrelObject makeParticleParameterTable(const CParticleParameter& definition)
{
    SquirrelObject table = buildParticleParameterTable(definition);
    SquirrelObject list = CSquirrel::createArray(0);
    for (const std::string& name : definition.textureNames)
    {
        SquirrelObject text;
        text.SetByValue(name.c_str());
        list.ArrayAppend(text);
    }
    table.SetValue(TextureListKey, list);
    return table;
}

int readParticleParameterTable(CParticleParameter& definition, const SquirrelObject& table)
{
    if (table.GetType() != OT_TABLE)
        return -1;
    TableTree tree(table);
    for (const ParticleField& field : particleFields())
        readField(tree.holderOf(field.path, false), field, definition.record);
    return 0;
}

int readParticleParameter(CParticleParameter& definition, const SquirrelObject& table)
{
    const int result = readParticleParameterTable(definition, table);
    if (result < 0)
        return result;
    readTextureNames(definition, table);
    return 0;
}

} // namespace Orvane::Particle
