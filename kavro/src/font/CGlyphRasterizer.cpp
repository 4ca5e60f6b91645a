#include "font/CGlyphRasterizer.h"

#include "font/CFontFace.h"

#include <fontconfig/fontconfig.h>

namespace Kavro
{

namespace
{

// A pattern asking for weight, slant and language; the caller adds what it looks for and destroys it.
FcPattern* basePattern(int weight, bool italic, const char* language)
{
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddInteger(pattern, FC_WEIGHT, FcWeightFromOpenType(weight));
    FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    if (language)
        FcPatternAddString(pattern, FC_LANG, reinterpret_cast<const FcChar8*>(language));
    return pattern;
}

// Matches the pattern; true with the file and face index of the best face.
bool matchFile(FcPattern* pattern, FaceSource& out)
{
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FcPatternDestroy(pattern);
    if (!match)
        return false;
    FcChar8* file = nullptr;
    int index = 0;
    const bool found = FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch;
    FcPatternGetInteger(match, FC_INDEX, 0, &index);
    if (found)
        out = FaceSource{reinterpret_cast<const char*>(file), nullptr, index};
    FcPatternDestroy(match);
    return found;
}

} // namespace

const char* LanguageOfCharset(int charset)
{
    switch (charset)
    {
    case 128:
        return "ja";
    case 134:
        return "zh-cn";
    case 136:
        return "zh-tw";
    case 129:
        return "ko";
    case 204:
        return "ru";
    case 161:
        return "el";
    default:
        return nullptr;
    }
}

CGlyphRasterizer::CGlyphRasterizer()
{
    FT_Init_FreeType(&library_);
    FcInit();
}

CGlyphRasterizer::~CGlyphRasterizer()
{
    if (library_)
        FT_Done_FreeType(library_);
}

int CGlyphRasterizer::addFontMemory(const uint8_t* data, size_t size)
{
    if (!library_)
        return -1;
    const int added = registry_.add(library_, data, size);
    return added > 0 ? added : -1;
}

bool CGlyphRasterizer::findInstalled(const std::string& family, int weight, bool italic, const char* language,
                                     FaceSource& out) const
{
    FcPattern* pattern = basePattern(weight, italic, language);
    if (!family.empty())
        FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    return matchFile(pattern, out);
}

bool CGlyphRasterizer::findFallback(uint32_t code, int weight, bool italic, const char* language,
                                    FaceSource& out) const
{
    FcPattern* pattern = basePattern(weight, italic, language);
    FcCharSet* characters = FcCharSetCreate();
    FcCharSetAddChar(characters, code);
    FcPatternAddCharSet(pattern, FC_CHARSET, characters);
    FcCharSetDestroy(characters);
    return matchFile(pattern, out);
}

IFontFace* CGlyphRasterizer::createFace(int size, int weight, int italic, int charset, const char* faceName)
{
    std::string family = faceName ? faceName : "";
    const bool vertical = !family.empty() && family[0] == '@';
    if (vertical)
        family.erase(0, 1);
    if (weight <= 0)
        weight = 400;
    const char* language = LanguageOfCharset(charset);
    FaceSource source;
    FT_Face face = nullptr;
    if (library_ && (registry_.find(family, weight, italic != 0, source) ||
                     findInstalled(family, weight, italic != 0, language, source)))
        face = source.open(library_);
    FaceStyle style{size, weight, italic != 0, vertical, language ? language : ""};
    return new CFontFace(this, face, style);
}

IGlyphRasterizer* GetGlyphRasterizer()
{
    // Lives for the run: memory faces must outlast every font made from them.
    static CGlyphRasterizer* const rasterizer = new CGlyphRasterizer;
    rasterizer->addRef();
    return rasterizer;
}

} // namespace Kavro

// fontconfig loses a few allocations while parsing its configuration files; they are not ours to free,
// and a leak check of any program that finds faces would otherwise fail on them.
extern "C" __attribute__((visibility("default"), used)) const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
}
