// Script files: the path rule, the precompiled "SCRP" form, and source text with its rewrites.
#include "script/CSquirrel.h"

#include "core/CFile.h"
#include "core/TextEncoding.h"
#include "script/SquirrelError.h"

#include <kavro/Bytes.h>
#include <kavro/LoadReport.h>

#include <cstring>
#include <string_view>

namespace Orvane
{

namespace
{

constexpr uint32_t TypeNull = 0x01000001;
constexpr uint32_t TypeInteger = 0x05000002;
constexpr uint32_t TypeFloat = 0x05000004;
constexpr uint32_t TypeString = 0x08000010;

using Kavro::ByteReader;

// Counted bytes holding a text; the text ends at the first zero byte or, when the stored
// terminator is missing, at the end of the counted bytes.
bool readText(ByteReader& reader, uint32_t count, std::string& out)
{
    const uint8_t* p = nullptr;
    if (!reader.take(p, count))
        return false;
    const void* zero = std::memchr(p, 0, count);
    out.assign(reinterpret_cast<const char*>(p), zero ? static_cast<const uint8_t*>(zero) - p : count);
    return true;
}

// Reads one value of the table and pushes it; false when the file is cut short. Unknown types
// push nothing and consume nothing.
bool pushEntryValue(HSQUIRRELVM vm, ByteReader& reader, uint32_t type, bool& pushed)
{
    pushed = true;
    uint32_t word = 0;
    switch (type)
    {
    case TypeNull:
        sq_pushnull(vm);
        return true;
    case TypeInteger:
        if (!reader.u32(word))
            return false;
        sq_pushinteger(vm, SQInteger(word));
        return true;
    case TypeFloat:
    {
        if (!reader.u32(word))
            return false;
        float value;
        std::memcpy(&value, &word, sizeof value);
        sq_pushfloat(vm, value);
        return true;
    }
    case TypeString:
    {
        std::string text;
        if (!reader.u32(word) || !readText(reader, word, text))
            return false;
        sq_pushstring(vm, text.c_str(), SQInteger(text.size()));
        return true;
    }
    default:
        pushed = false;
        return true;
    }
}

struct ClosureSource
{
    const uint8_t* data;
    uint32_t remaining;
};

SQInteger readClosureBytes(SQUserPointer source, SQUserPointer buffer, SQInteger size)
{
    auto* closure = static_cast<ClosureSource*>(source);
    if (size < 0 || uint32_t(size) > closure->remaining)
        return -1;
    std::memcpy(buffer, closure->data, size_t(size));
    closure->data += size;
    closure->remaining -= uint32_t(size);
    return size;
}

void replaceAll(std::u16string& text, std::u16string_view pattern, std::u16string_view replacement)
{
    size_t at = text.find(pattern);
    while (at != std::u16string::npos)
    {
        text.replace(at, pattern.size(), replacement);
        at = text.find(pattern, at + 1);
    }
}

} // namespace

int CSquirrel::loadScript(const char* name, int rewriteFunctions)
{
    const std::string path = std::strstr(name, "media") ? std::string(name) : "media/script/" + std::string(name);
    // A file loaded by a running script keeps the reports already collected: an error in one imported
    // file must still fail the frame after another file has been loaded.
    if (sq_getvmstate(vm) == SQ_VMSTATE_IDLE)
        clearErrorText();
    CFile file;
    if (file.open(path.c_str(), 0, 0, 0) < 0)
    {
        Kavro::ReportLoadFailure(path, CFile::explainMissing(path.c_str()));
        return -1;
    }
    if (file.load() < 0 || !file.getLoadData())
    {
        Kavro::ReportLoadFailure(path, "the script is empty or could not be read whole");
        return -1;
    }
    const uint8_t* data = file.getLoadData();
    const uint32_t size = file.getFileSize();
    if (size >= 4 && std::memcmp(data, "SCRP", 4) == 0)
    {
        const int loaded = readPrecompiled(data, size);
        if (loaded < 0)
            Kavro::ReportLoadFailure(path, "the precompiled script is cut short or damaged");
        return loaded;
    }
    compileSource(data, size, path, rewriteFunctions);
    return 0;
}

int CSquirrel::readPrecompiled(const uint8_t* data, uint32_t size)
{
    ByteReader header(data, size);
    uint32_t magic = 0, closureOffset = 0, closureSize = 0, tableOffset = 0;
    if (!header.u32(magic) || !header.u32(closureOffset) || !header.u32(closureSize) || !header.u32(tableOffset))
        return -1;
    if (tableOffset > size)
        return -1;
    ByteReader reader(data + tableOffset, size - tableOffset);
    uint32_t count = 0;
    if (!reader.u32(count))
        return -1;
    for (uint32_t i = 0; i < count; ++i)
    {
        uint16_t nameLength = 0;
        std::string name;
        uint32_t type = 0;
        if (!reader.u16(nameLength) || !readText(reader, nameLength, name) || !reader.u32(type))
            return -1;
        const SQInteger top = sq_gettop(vm);
        // The slot goes into the object at position 1 of the current frame.
        sq_push(vm, 1);
        sq_pushstring(vm, name.c_str(), SQInteger(name.size()));
        bool pushed = false;
        const bool complete = pushEntryValue(vm, reader, type, pushed);
        if (complete && pushed && !name.empty())
            sq_newslot(vm, -3, SQFalse);
        sq_settop(vm, top);
        if (!complete)
            return -1;
    }
    if (closureOffset > size || closureSize > size - closureOffset)
        return -1;
    ClosureSource source{data + closureOffset, closureSize};
    const SQInteger top = sq_gettop(vm);
    if (SQ_FAILED(sq_readclosure(vm, &readClosureBytes, &source)))
    {
        sq_settop(vm, top);
        return -1;
    }
    return 0;
}

void CSquirrel::compileSource(const uint8_t* data, uint32_t size, const std::string& path, int rewriteFunctions)
{
    const void* zero = std::memchr(data, 0, size);
    std::string text(reinterpret_cast<const char*>(data),
                     zero ? static_cast<const uint8_t*>(zero) - data : size);
    preprocessSource(text, rewriteFunctions);
    const size_t reported = getErrorText().size();
    const SQRESULT compiled = sq_compilebuffer(vm, text.c_str(), SQInteger(text.size()), path.c_str(), SQTrue);
    if (getErrorText().size() > reported)
        throw SquirrelError(getErrorText());
    if (SQ_FAILED(compiled))
        throw SquirrelError();
}

void CSquirrel::preprocessSource(std::string& text, int rewriteFunctions)
{
    std::u16string wide;
    if (toWide(getEngineCodePage(), text, wide) < 0)
        return;
    static constexpr std::u16string_view DotRules[][2] = {
        {u"......//", u"      //"}, {u".....//", u"     //"}, {u"....//", u"    //"},
        {u"...//", u"   //"},       {u"..//", u"  //"},       {u".//", u" //"},
    };
    for (const auto& [pattern, replacement] : DotRules)
        replaceAll(wide, pattern, replacement);
    if (rewriteFunctions)
        replaceAll(wide, u"function ", u"function CCommand::");
    toMultiByte(CodePageUtf8, wide, text);
}

} // namespace Orvane
