// The material methods of the model script class and the reader of script material tables.
#include "model/Squirrel/MaterialTable.h"
#include "model/Squirrel/SQModel.h"

#include "script/TableReaders.h"

#include <kavro/ColorF.h>
#include <kavro/IModelResource.h>

#include <cstring>
#include <string>
#include <string_view>

namespace Orvane::Squirrel
{

namespace
{

enum class FieldType
{
    Int,
    Float,
    Name,
    // "r", "g" and "b" of the table the path names.
    Color,
};

struct MaterialKey
{
    const char* path;
    size_t offset;
    FieldType type;
};

#define ORVANE_KEY(path, field, type) {path, offsetof(MaterialRecord, field), FieldType::type}
#define ORVANE_KEY_AT(path, field, index, type)                                                                \
    {path, offsetof(MaterialRecord, field) + (index) * sizeof(float), FieldType::type}

// Every keyed field of the record; the key family "hemishere_light" is spelt as scripts write it.
constexpr MaterialKey MaterialKeys[] = {
    ORVANE_KEY("version", version, Int),
    ORVANE_KEY("visible", visible, Int),
    ORVANE_KEY("blend_mode", blendMode, Int),
    ORVANE_KEY("cull_mode", cullMode, Int),
    ORVANE_KEY("alpha_test.enable", alphaTestEnable, Int),
    ORVANE_KEY("alpha_test.boundary", alphaTestBoundary, Int),
    ORVANE_KEY("z_write_enable", zWriteEnable, Int),
    ORVANE_KEY("diffuse_map.enable", diffuseMapEnable, Int),
    ORVANE_KEY("diffuse_map.filename", diffuseMapFile, Name),
    ORVANE_KEY_AT("diffuse_map.uv_scroll.u", diffuseScroll, 0, Float),
    ORVANE_KEY_AT("diffuse_map.uv_scroll.v", diffuseScroll, 1, Float),
    ORVANE_KEY("diffuse_map.multi_texture.enable", secondDiffuseEnable, Int),
    ORVANE_KEY("diffuse_map.multi_texture.filename", secondDiffuseFile, Name),
    ORVANE_KEY("diffuse_map.multi_texture.power", secondDiffusePower, Float),
    ORVANE_KEY("specular_map.enable", specularMapEnable, Int),
    ORVANE_KEY("specular_map.filename", specularMapFile, Name),
    ORVANE_KEY("normal_map.enable", normalMapEnable, Int),
    ORVANE_KEY("normal_map.filename", normalMapFile, Name),
    ORVANE_KEY_AT("normal_map.uv_scroll.u", normalScroll, 0, Float),
    ORVANE_KEY_AT("normal_map.uv_scroll.v", normalScroll, 1, Float),
    ORVANE_KEY("reflection_map.enable", reflectionMapEnable, Int),
    ORVANE_KEY("reflection_map.type", reflectionType, Int),
    ORVANE_KEY("reflection_map.filename", reflectionMapFile, Name),
    ORVANE_KEY("reflection_map.power", reflectionPower, Float),
    ORVANE_KEY("diffuse_color", diffuseColor, Color),
    ORVANE_KEY("diffuse_color.power", diffusePower, Float),
    ORVANE_KEY("ambient_color", ambientColor, Color),
    ORVANE_KEY("ambient_color.power", ambientPower, Float),
    ORVANE_KEY("emissive_color", emissiveColor, Color),
    ORVANE_KEY("emissive_color.power", emissivePower, Float),
    ORVANE_KEY("specular_color", specularColor, Color),
    ORVANE_KEY("specular_color.power", specularPower, Float),
    ORVANE_KEY("specular_color.diffusion", specularDiffusion, Float),
    ORVANE_KEY("specular_color.sharpness", specularSharpness, Float),
    ORVANE_KEY("specular_color.shininess", specularShininess, Float),
    ORVANE_KEY("hemishere_light.enable", hemisphereEnable, Int),
    ORVANE_KEY_AT("hemishere_light.up.x", hemisphereUp, 0, Float),
    ORVANE_KEY_AT("hemishere_light.up.y", hemisphereUp, 1, Float),
    ORVANE_KEY_AT("hemishere_light.up.z", hemisphereUp, 2, Float),
    ORVANE_KEY("hemishere_light.power", hemispherePower, Float),
    ORVANE_KEY("hemishere_light.sky_color", skyColor, Color),
    ORVANE_KEY("hemishere_light.sky_color.power", skyPower, Float),
    ORVANE_KEY("hemishere_light.ground_color", groundColor, Color),
    ORVANE_KEY("hemishere_light.ground_color.power", groundPower, Float),
    ORVANE_KEY("rim_light.enable", rimEnable, Int),
    ORVANE_KEY("rim_light", rimColor, Color),
    ORVANE_KEY("rim_light.power", rimPower, Float),
    ORVANE_KEY("rim_light.range", rimRange, Float),
    ORVANE_KEY("rim_light.effective_light", rimEffectiveLight, Int),
    ORVANE_KEY("shadow.is_caster", shadowCaster, Int),
    ORVANE_KEY("shadow.is_receiver", shadowReceiver, Int),
    ORVANE_KEY("shadow.color", shadowColor, Color),
    ORVANE_KEY("shadow.power", shadowPower, Float),
    ORVANE_KEY("shadow.offset", shadowOffset, Float),
    ORVANE_KEY("toon.enable", toonEnable, Int),
    ORVANE_KEY("toon.filename", toonFile, Name),
    ORVANE_KEY("toon.edge.color", edgeColor, Color),
    ORVANE_KEY("toon.edge.power", edgePower, Float),
    ORVANE_KEY("toon.edge.filename", edgeFile, Name),
    ORVANE_KEY("fog_enable", fogEnable, Int),
    ORVANE_KEY("shadow.attribute", shadowAttribute, Int),
    ORVANE_KEY_AT("diffuse_map.addressing.u", diffuseAddressing, 0, Int),
    ORVANE_KEY_AT("diffuse_map.addressing.v", diffuseAddressing, 1, Int),
    ORVANE_KEY_AT("specular_map.uv_scroll.u", specularScroll, 0, Float),
    ORVANE_KEY_AT("specular_map.uv_scroll.v", specularScroll, 1, Float),
    ORVANE_KEY_AT("specular_map.addressing.u", specularAddressing, 0, Int),
    ORVANE_KEY_AT("specular_map.addressing.v", specularAddressing, 1, Int),
    ORVANE_KEY_AT("normal_map.addressing.u", normalAddressing, 0, Int),
    ORVANE_KEY_AT("normal_map.addressing.v", normalAddressing, 1, Int),
};

#undef ORVANE_KEY
#undef ORVANE_KEY_AT

constexpr size_t fieldSize(FieldType type)
{
    switch (type)
    {
    case FieldType::Name:
        return MaterialRecord::NameSize;
    case FieldType::Color:
        return sizeof(MaterialRGB);
    default:
        return 4;
    }
}

constexpr bool keysInsideRecord()
{
    for (const MaterialKey& key : MaterialKeys)
        if (key.offset + fieldSize(key.type) > sizeof(MaterialRecord))
            return false;
    return true;
}
static_assert(keysInsideRecord());

// The value the path's leading keys name, starting from table; null when one of them is not a table.
SquirrelObject enclosingTable(const SquirrelObject& table, std::string_view path, std::string& lastKey)
{
    SquirrelObject holder = table;
    size_t dot;
    while ((dot = path.find('.')) != std::string_view::npos)
    {
        if (holder.GetType() != OT_TABLE)
            return SquirrelObject();
        holder = holder.GetValue(std::string(path.substr(0, dot)).c_str());
        path.remove_prefix(dot + 1);
    }
    lastKey = path;
    return holder;
}

void readKey(const SquirrelObject& table, const MaterialKey& key, uint8_t* field)
{
    std::string last;
    const SquirrelObject holder = enclosingTable(table, key.path, last);
    switch (key.type)
    {
    case FieldType::Name:
        getTableString(holder, last.c_str(), reinterpret_cast<char*>(field), MaterialRecord::NameSize);
        return;
    case FieldType::Color:
    {
        const SquirrelObject colorTable = holder.GetType() == OT_TABLE ? holder.GetValue(last.c_str()) : SquirrelObject();
        MaterialRGB color;
        std::memcpy(&color, field, sizeof color);
        getTableColor(colorTable, color.r, color.g, color.b);
        std::memcpy(field, &color, sizeof color);
        return;
    }
    case FieldType::Int:
    {
        int32_t value;
        std::memcpy(&value, field, sizeof value);
        getTableInt(holder, last.c_str(), value);
        std::memcpy(field, &value, sizeof value);
        return;
    }
    case FieldType::Float:
    {
        float value;
        std::memcpy(&value, field, sizeof value);
        getTableFloat(holder, last.c_str(), value);
        std::memcpy(field, &value, sizeof value);
        return;
    }
    }
}

std::string text(const char* value)
{
    return value ? value : "";
}

const char* nullWhenEmpty(const char* text)
{
    return text && *text ? text : nullptr;
}

} // namespace

int readMaterialTable(const SquirrelObject& table, MaterialRecord& record)
{
    auto* bytes = reinterpret_cast<uint8_t*>(&record);
    for (const MaterialKey& key : MaterialKeys)
        readKey(table, key, bytes + key.offset);
    return 0;
}

int SQModel::loadMaterial(const char* scope, const char* mesh, const char* material, const char* file)
{
    return engine->loadMaterial(text(scope), text(mesh), text(material), text(file));
}

int SQModel::setMaterialTable(const char* scope, const char* mesh, const char* material, SquirrelObject table)
{
    MaterialRecord record;
    std::memset(&record, 0, sizeof record);
    readMaterialTable(table, record);
    return engine->setMaterialTable(text(scope), text(mesh), text(material), &record);
}

int SQModel::setMaterialVisible(const char* scope, const char* mesh, const char* material, int visible)
{
    return engine->setMaterialVisible(text(scope), text(mesh), text(material), visible);
}

int SQModel::getMaterialVisible(const char* scope, const char* mesh, const char* material)
{
    return engine->getMaterialVisible(text(scope), text(mesh), text(material));
}

int SQModel::setMaterialDiffuseColor(const char* scope, const char* mesh, const char* material, float r, float g,
                                     float b, int value)
{
    return engine->setMaterialDiffuseColor(text(scope), text(mesh), text(material), Kavro::ColorF(r, g, b, 1.0f),
                                           value);
}

void SQModel::clearMaterial()
{
    engine->clearMaterial();
    refreshHolder();
}

int SQModel::getMaterialNum(const char* meshFile, const char* meshName)
{
    Kavro::IModelResource* resource = engine->getModelResource();
    if (!resource)
        return 0;
    return nullWhenEmpty(meshFile) ? resource->getFileMaterialCount(meshFile, nullWhenEmpty(meshName))
                                   : resource->getMaterialCount(nullWhenEmpty(meshName));
}

const char* SQModel::getMaterialName(const char* meshFile, const char* meshName, int index)
{
    Kavro::IModelResource* resource = engine->getModelResource();
    if (!resource)
        return nullptr;
    std::memset(textBuffer, 0, sizeof textBuffer);
    if (nullWhenEmpty(meshFile))
        resource->getFileMaterialName(meshFile, nullWhenEmpty(meshName), index, textBuffer, sizeof textBuffer);
    else
        resource->getMaterialName(nullWhenEmpty(meshName), index, textBuffer, sizeof textBuffer);
    textBuffer[sizeof textBuffer - 1] = '\0';
    return textBuffer;
}

} // namespace Orvane::Squirrel
