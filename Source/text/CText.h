#pragma once

#include "core/CRenderingTaskObject.h"
#include "curve/CInterpolator.h"
#include "text/FontGlyph.h"

#include <kavro/Matrix4x4.h>
#include <kavro/Vector2D.h>
#include <kavro/Vector3D.h>
#include <kavro/Vector4D.h>

#include <array>
#include <cstdint>
#include <deque>
#include <string>
#include <unordered_map>
#include <vector>

namespace Kavro
{
class ITexture;
}

namespace Orvane
{

class CEffectShake;
class CFile;
class CFont;
class CTextTokenizer;

// A text box: markup text laid out into positioned glyphs with a main and a ruby font, typed out
// over time and drawn out of a glyph atlas of its own.
class CText : public CRenderingTaskObject
{
public:
    struct Glyph
    {
        TextureRef texture;
        int32_t texX = 0;
        int32_t texY = 0;
        int32_t width = 0;
        int32_t height = 0;
        Kavro::Vector2D position;
        float typeAlpha = 0.0f;
        float typeStart = 0.0f;
        uint32_t code = 0;
        std::array<int32_t, 4> atlasCell{};
        int32_t isRuby = 0;
        int32_t italic = 0;
        int32_t dirty = 0;
        int32_t fading = 0;
        CInterpolator<float> alphaInterpolator;
        int32_t moving = 0;
        CInterpolator<Kavro::Vector2D> moveInterpolator;
        int32_t scaling = 0;
        CInterpolator<Kavro::Vector2D> scaleInterpolator;
        int32_t rotating = 0;
        CInterpolator<Kavro::Vector3D> rotateInterpolator;
        int32_t coloring = 0;
        std::array<CInterpolator<Kavro::Vector3D>, 4> colorInterpolators;
        std::array<uint32_t, 4> colors{0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu};
        CObject* shakeEffect = nullptr;
        Kavro::Matrix4x4 matrix;
        int32_t quadIndex = -1;
    };

    struct AtlasEntry
    {
        uint32_t key = 0;
        TextureRef texture;
        std::array<int32_t, 4> source{};
        std::array<int32_t, 4> cell{};
    };

    CText(const std::string& name, const int32_t referenceSize[2]);
    ~CText() override;

    Kavro::Vector2D getViewSize() override;
    int update() override;
    void setSurface(IRenderTarget* target) override;
    bool isBatched() override { return shadowType != 0; }
    std::string getBatchKey() override;

    // 0 on success, -1 on failure; an empty text lays the stored text out again.
    virtual int layoutText(const std::string& text);
    virtual int create(const std::string& text);
    virtual int print(const std::string& text);
    virtual void clear();
    virtual int resetType();
    // Drawing of the glyph quads comes with the sprite lists.
    virtual void updateGlyphQuads() {}
    virtual void markDirty();
    // Shows every glyph at once.
    virtual void pushAll();

    virtual void setField(int32_t width, int32_t height);
    virtual void setPitchSpace(int32_t wide, int32_t narrow);
    virtual void setRowSpace(int32_t space);
    virtual void setRubyOffset(int32_t offset);
    virtual void setFont(const std::string& name) { fontName = name; }
    virtual void setRubyFont(const std::string& name) { rubyFontName = name; }
    virtual std::array<int32_t, 2> getFieldSize() const { return {fieldWidth, fieldHeight}; }
    virtual int32_t getGlyphRecordCount() const { return int32_t(glyphStore.size()); }
    virtual void clearString() { sourceText.clear(); }
    virtual const std::string& getString() const { return sourceText; }
    virtual int32_t getLineCount() const { return lineCount; }
    virtual std::array<float, 4> getCharacterRect(int32_t index) const;
    virtual std::array<float, 4> getRubyRect(int32_t index) const;
    virtual void setCenter(float x, float y) { center = {x, y}; }
    virtual void setPivot(float x, float y) { pivot = {x, y}; }
    virtual void setTimeScale(float scale);
    virtual Kavro::Vector2D getSize() const { return {float(extentX), float(extentY)}; }
    virtual int32_t isTyping() const { return typingDone ? 0 : 1; }
    virtual float getTotalTime() const { return typingInterpolator.duration; }
    // True with the point's place across the text quad (0..1 each way) when the point hits it.
    virtual bool mapScreenToText(const Kavro::Vector2D& point, Kavro::Vector2D& out) const;

    // The saved state that a fresh layout cannot rebuild: the whole-text shake and, per glyph, typing
    // and running animations. 1 on success, 0 on failure; a failed read leaves the file at the end of
    // the record, so the reader of the enclosing record can go on.
    virtual int serialize(CFile& file);
    // Lays the record onto the glyphs of a text laid out again from the same string and settings.
    virtual int deserialize(CFile& file);
    virtual int writeGlyph(CFile& file, const Glyph& glyph);
    virtual int readGlyph(CFile& file, Glyph& glyph);

    void buildGlyphAtlas();

    std::string fontName;
    std::string rubyFontName;
    std::string sourceText;
    int32_t typingDone = 0;
    int32_t typingBegun = 0;
    int32_t positionX = 0;
    int32_t positionY = 0;
    int32_t penX = 0;
    int32_t penY = 0;
    int32_t columnWidth = 0;
    int32_t lineHeight = 0;
    int32_t fieldWidth = 0;
    int32_t fieldHeight = 0;
    int32_t pitchWide = 0;
    int32_t pitchNarrow = 0;
    int32_t rubyOffset = 0;
    int32_t rowSpace = 0;
    int32_t lineCount = 1;
    float typingSpeed = 0.29511747f;
    float slowTypingRate = 5.3125f;
    float fastTypingRate = 212.5f;
    float timeScale = 1.0f;
    std::array<CInterpolator<Kavro::Vector3D>, 4> fontColorInterpolators;
    std::array<uint32_t, 4> fontColors{0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu};
    int32_t extentX = 0;
    int32_t extentY = 0;
    std::array<float, 2> center{};
    Kavro::Vector2D pivot;
    CInterpolator<float> fadeInterpolator;
    CInterpolator<Kavro::Vector2D> moveInterpolator;
    CInterpolator<Kavro::Vector2D> scaleInterpolator;
    CInterpolator<Kavro::Vector3D> rotateInterpolator;
    CInterpolator<float> transitionInterpolator;
    CInterpolator<float> typingInterpolator;
    int32_t atLineStart = 0;
    int32_t previousWide = 0;
    int32_t typingThreshold = -1;
    std::deque<Glyph> glyphStore;
    // The quad lists that draw the glyphs (base, then ruby); made with the glyph drawing.
    std::vector<CObject*> glyphSprites;
    std::vector<Glyph*> glyphList;
    std::vector<Glyph*> rubyGlyphList;
    int32_t atlasDirty = 0;
    Kavro::ITexture* atlasTexture = nullptr;
    std::array<int32_t, 2> atlasSize{};
    std::unordered_map<uint32_t, AtlasEntry> atlasMap;
    int32_t blendMode = 1;
    int32_t shadowType = 0;
    std::array<CInterpolator<Kavro::Vector3D>, 4> shadowColorInterpolators;
    std::array<uint32_t, 4> shadowColors{0xFF000000u, 0xFF000000u, 0xFF000000u, 0xFF000000u};
    int32_t shadowParametersDirty = 1;
    Kavro::ITexture* shadowTexture = nullptr;
    float shadingParameterC = 0.0f;
    int32_t shadingParameterA = 0;
    float shadingParameterB = 0.0f;
    int32_t redrawPending = 1;
    int32_t transformDirty = 1;
    int32_t fontColorDirty = 0;
    int32_t shadowColorDirty = 0;
    int32_t glyphsDirty = 0;
    Kavro::Matrix4x4 compositeMatrix;
    std::array<Kavro::Vector4D, 4> compositeCorners{};
    CEffectShake* shakeEffect = nullptr;

protected:
    // Working state of one layoutText call.
    struct LayoutRun
    {
        bool relayout = false;
        CFont* font = nullptr;
        CFont* rubyFont = nullptr;
        int32_t emptyLineHeight = 0;
        int32_t rubyHeight = 0;
        size_t baseCount = 0;
        size_t rubyCount = 0;
        int italic = 0;
        std::u16string ruby;
        size_t rubyFirst = 0;
        bool centerActive = false;
        int32_t centerStartX = 0;
        long centerStartGlyph = -1;
        long centerStartRuby = -1;
        int hangCount = 0;
        int32_t charIndex = 0;
    };

    static CFont* poolFont(const std::string& name);
    bool centerPendingRun(LayoutRun& run);
    void walkToken(LayoutRun& run, const std::string& name, const std::string& rubyText, bool hasRubyText);
    void walkText(LayoutRun& run, const std::u16string& units);
    void placeCharacter(LayoutRun& run, char16_t c);
    void lineFeed(LayoutRun& run);
    void moveGlyphs(const std::vector<Glyph*>& list, size_t from, size_t to, float dx, float dy);
    void endCenter(LayoutRun& run);
    void placeRuby(LayoutRun& run);
    void finishNewText();
    // The gap print puts before the first visible character it appends (none at a line start).
    int32_t printSeamGap(const std::string& text) const;
    // A new record in glyphStore with its effects at rest.
    Glyph& makeGlyph(const FontGlyph& g, float x, float y, float typeAlpha, char16_t code, int italic, int isRuby);
    Glyph* baseGlyph(size_t index) const { return index < glyphList.size() ? glyphList[index] : nullptr; }

private:
    void relayout();
    void releaseAtlas();
    std::array<float, 4> glyphRect(const std::vector<Glyph*>& list, int32_t index) const;
};

} // namespace Orvane
