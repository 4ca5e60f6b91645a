#pragma once

#include "core/CRenderingTaskObject.h"
#include "core/CTextureWacher.h"
#include "curve/CBezier.h"
#include "curve/CInterpolator.h"
#include "curve/CTimedNouniformSpline.h"
#include "text/CTextTokenizer.h"
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
class IShadowSprite;
class ITexture;
} // namespace Kavro

namespace Orvane
{

class CEffectShake;
class CFile;
class CFont;
class CSpriteDisplacementMap;
class CSpriteList;
class CSpriteMask;
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
        CEffectShake* shakeEffect = nullptr;
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
    int updateWorldMatrix() override;
    int update() override;
    void setSurface(IRenderTarget* target) override;
    int draw() override;
    // One copy of the text at another place, scale, rotation and opacity (a motion trail's ghost);
    // the text's own glyph quads are rebuilt afterwards. The place already holds any shake offset.
    virtual int drawInstance(const Kavro::Vector3D* at, float alpha, const Kavro::Vector2D* atScale,
                             const Kavro::Vector3D* atRotation);
    int render() override;
    int beginBatch(CBatchContext& batch) override;
    int addToBatch(CBatchContext& batch) override;
    int endBatch(CBatchContext& batch) override;
    bool isBatched() override { return shadowType != 0; }
    std::string getBatchKey() override;

    // 0 on success, -1 on failure; an empty text lays the stored text out again.
    virtual int layoutText(const std::string& text);
    virtual int create(const std::string& text);
    virtual int print(const std::string& text);
    virtual void clear();
    virtual int resetType();
    // Copies the glyph images into the atlas when it was rebuilt or lost its contents.
    virtual void refreshAtlas();
    // The glyph pass: every visible glyph's quad into its sprite list, unchanged ones kept.
    virtual void updateGlyphQuads();
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
    virtual void setShadow(int32_t type, int32_t size, float density, float stampFactor);
    virtual void setShadowShadingParameter(int32_t a, const float& b, const float& c);
    virtual void setDither(int32_t enable, int32_t width, int32_t height, const std::string& texture);
    virtual void setBlendMode(int32_t mode);
    virtual void setTextureFiltering(int32_t filtering);
    // Limits the glyphs to the mask's picture (null: none); the text holds one reference.
    virtual void setMask(CSpriteMask* newMask);
    // Displaces the glyphs by the map's picture (null: none); the text holds one reference.
    virtual void setDisplacementMap(CSpriteDisplacementMap* map);
    virtual Kavro::Vector4D getCompositeCorner(int32_t index) const;

    // Typing.
    virtual void setTypingSpeed(float speed);
    virtual float getTypingSpeed() const { return typingSpeed; }
    virtual void setMinTypingTime(float seconds);
    virtual float getMinTypingTime() const;
    virtual void setMaxTypingTime(float seconds);
    virtual float getMaxTypingTime() const;
    virtual int32_t beginType(int32_t begun);
    virtual int32_t getBeginType() const { return typingBegun; }
    virtual void setTypingThreshold(int32_t threshold) { typingThreshold = threshold; }

    // Whole-text animation.
    virtual void fade(float alpha, uint32_t duration, int32_t curve);
    virtual void move(float x, float y, uint32_t duration, int32_t curve);
    virtual void scale(float x, float y, uint32_t duration, int32_t curve);
    virtual void rotate(float x, float y, float z, uint32_t duration, int32_t curve);
    virtual void shake(const Kavro::Vector3D& startAmplitude, const Kavro::Vector3D& endAmplitude, uint32_t period,
                       uint32_t mode, uint32_t duration, int32_t easing, int32_t swingEasing);
    virtual void randomShake(const Kavro::Vector3D& startAmplitude, const Kavro::Vector3D& endAmplitude,
                             uint32_t period, uint32_t mode, uint32_t duration, int32_t easing, int32_t swingEasing);
    // Every glyph list loads the rule image; with reload set the text hears when that image goes away and
    // then drops the mask.
    virtual void loadTransitionMask(const std::string& name, int32_t reload);
    virtual void transition(float from, float to, float vague, uint32_t duration, int32_t curve);
    virtual const std::string& getTransitionFilename() const { return transitionFilename; }
    virtual void resetBezier();
    virtual void setBezier(const Kavro::Vector3D& point);
    virtual int beginBezier(float duration, int32_t curve);
    virtual void resetSpline();
    virtual void setSpline(const Kavro::Vector3D& point, float time, float weight);
    virtual void beginSpline(uint32_t duration, int32_t curve);
    virtual float getFade() const { return fadeInterpolator.scaledValue; }
    virtual const Kavro::Vector2D& getMove() const { return moveInterpolator.scaledValue; }
    virtual const Kavro::Vector2D& getScale() const { return scaleInterpolator.scaledValue; }
    virtual const Kavro::Vector3D& getRotate() const { return rotateInterpolator.scaledValue; }
    virtual int32_t isFading() const { return fadeInterpolator.active ? 1 : 0; }
    virtual int32_t isMoving() const { return (moveInterpolator.active || bezier.progress.active) ? 1 : 0; }
    virtual int32_t isScaling() const { return scaleInterpolator.active ? 1 : 0; }
    virtual int32_t isRotating() const { return rotateInterpolator.active ? 1 : 0; }
    virtual int32_t isShaking() const;
    virtual CEffectShake* getShakeEffect() const { return shakeEffect; }

    // Per-glyph effects: the Character operations address glyphList, the Ruby ones rubyGlyphList; an index
    // outside the list changes nothing.
    virtual void fadeCharacter(int32_t index, float alpha, uint32_t duration, int32_t curve);
    virtual void moveCharacter(int32_t index, int32_t x, int32_t y, uint32_t duration, int32_t curve);
    virtual void scaleCharacter(int32_t index, float x, float y, uint32_t duration, int32_t curve);
    virtual void rotateCharacter(int32_t index, float x, float y, float z, uint32_t duration, int32_t curve);
    virtual void shakeCharacter(int32_t index, const Kavro::Vector3D& startAmplitude,
                                const Kavro::Vector3D& endAmplitude, uint32_t period, uint32_t mode,
                                uint32_t duration, int32_t easing, int32_t swingEasing);
    virtual void randomShakeCharacter(int32_t index, const Kavro::Vector3D& startAmplitude,
                                      const Kavro::Vector3D& endAmplitude, uint32_t period, uint32_t mode,
                                      uint32_t duration, int32_t easing, int32_t swingEasing, uint32_t seed);
    virtual void fadeRuby(int32_t index, float alpha, uint32_t duration, int32_t curve);
    virtual void moveRuby(int32_t index, int32_t x, int32_t y, uint32_t duration, int32_t curve);
    virtual void scaleRuby(int32_t index, float x, float y, uint32_t duration, int32_t curve);
    virtual void rotateRuby(int32_t index, float x, float y, float z, uint32_t duration, int32_t curve);
    virtual void shakeRuby(int32_t index, const Kavro::Vector3D& startAmplitude, const Kavro::Vector3D& endAmplitude,
                           uint32_t period, uint32_t mode, uint32_t duration, int32_t easing, int32_t swingEasing);
    virtual void randomShakeRuby(int32_t index, const Kavro::Vector3D& startAmplitude,
                                 const Kavro::Vector3D& endAmplitude, uint32_t period, uint32_t mode,
                                 uint32_t duration, int32_t easing, int32_t swingEasing, uint32_t seed);

    // Colours: corner -1 (any negative) sets all four corners, 4 or more none.
    virtual void setFontColor(int32_t corner, float r, float g, float b, float duration, int32_t curve);
    virtual Kavro::Vector4D getFontColor(int32_t corner) const;
    virtual void setShadowColor(int32_t corner, float r, float g, float b, float duration, int32_t curve);
    virtual Kavro::Vector4D getShadowColor(int32_t corner) const;
    virtual void setCharacterColor(int32_t index, int32_t corner, float r, float g, float b, float duration,
                                   int32_t curve);
    virtual void setRubyColor(int32_t index, int32_t corner, float r, float g, float b, float duration,
                              int32_t curve);

    // Timers: elapsed milliseconds of each animation; the setters seek.
    virtual float getFadeTimer() const { return fadeInterpolator.elapsed; }
    virtual float getMoveTimer() const { return moveInterpolator.elapsed; }
    virtual float getScaleTimer() const { return scaleInterpolator.elapsed; }
    virtual float getRotateTimer() const { return rotateInterpolator.elapsed; }
    virtual float getTransitionTimer() const { return transitionInterpolator.elapsed; }
    virtual float getTypingTimer() const { return typingInterpolator.elapsed; }
    virtual float getSplineTimer() const { return spline.progress.elapsed; }
    virtual float getBezierTimer() const { return bezier.progress.elapsed; }
    virtual float getShakeTimer() const;
    virtual float getColorTimer(int32_t corner) const;
    virtual float getShadowColorTimer(int32_t corner) const;
    virtual void setFadeTimer(float t);
    virtual void setMoveTimer(float t);
    virtual void setScaleTimer(float t);
    virtual void setRotateTimer(float t);
    virtual void setTransitionTimer(float t);
    virtual void setTypingTimer(float t);
    virtual void setSplineTimer(float t);
    virtual void setBezierTimer(float t);
    virtual void setShakeTimer(float t);
    virtual void setColorTimer(int32_t corner, float t);
    virtual void setShadowColorTimer(int32_t corner, float t);
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
    std::string transitionFilename;
    // Drops the text's transition mask when the watched image goes away.
    class CTransitionCallback : public CTextureWacher::ICallback
    {
    public:
        explicit CTransitionCallback(CText* owner) : owner(owner) {}
        void onTextureNotify() override { owner->loadTransitionMask("", 1); }
        CText* const owner;
    };
    CTransitionCallback* transitionCallback = nullptr;
    float transitionVague = 0.0f;
    CInterpolator<float> typingInterpolator;
    CBezier<Kavro::Vector3D> bezier;
    CTimedNouniformSpline<Kavro::Vector3D> spline;
    int32_t atLineStart = 0;
    int32_t previousWide = 0;
    std::string ditherTextureName;
    int32_t ditherWidth = 0;
    int32_t ditherHeight = 0;
    int32_t ditherEnabled = 0;
    int32_t typingThreshold = -1;
    std::deque<Glyph> glyphStore;
    // The quad lists that draw the glyphs: base, then ruby (each only when such glyphs exist).
    std::vector<CSpriteList*> glyphSprites;
    std::array<float, 4> bounds{};
    std::vector<std::array<float, 4>> quadRects;
    int32_t drawnQuadCount = 0;
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
    float shadowAlpha = 1.0f;
    std::vector<Kavro::Vector2D> shadowOffsets;
    float shadowStampFactor = 1.0f;
    float rubyShadowAlpha = 1.0f;
    std::vector<Kavro::Vector2D> rubyShadowOffsets;
    int32_t shadowParametersDirty = 1;
    Kavro::ITexture* shadowTexture = nullptr;
    Kavro::IShadowSprite* shadowObject = nullptr;
    float shadowDensity = 0.0f;
    float shadingParameterC = 0.0f;
    int32_t shadingParameterA = 0;
    float shadingParameterB = 0.0f;
    int32_t textureFiltering = 0;
    int32_t redrawPending = 1;
    int32_t transformDirty = 1;
    int32_t fontColorDirty = 0;
    int32_t shadowColorDirty = 0;
    int32_t glyphsDirty = 0;
    Kavro::Matrix4x4 compositeMatrix;
    std::array<Kavro::Vector4D, 4> compositeCorners{};
    CEffectShake* shakeEffect = nullptr;
    CSpriteMask* mask = nullptr;
    CSpriteDisplacementMap* displacementMap = nullptr;

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
    // The value of a token's TEXT attribute (its ruby); null without one.
    static const std::string* rubyTextOf(const CTextTokenizer::CToken& token);
    // An empty text's pen, extent and line count, before a layout from the start of the string.
    void resetPen(int32_t startsAtLineStart);
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
    // Typing rate in alpha units per frame of the current speed (0: everything at once).
    float typingRate() const;
    // Where the text's view and projection put text space on the surface, and the surface size.
    Kavro::Matrix4x4 textMatrix(Kavro::Vector2D& surfaceSize);
    // A new record in glyphStore with its effects at rest.
    Glyph& makeGlyph(const FontGlyph& g, float x, float y, float typeAlpha, char16_t code, int italic, int isRuby);
    Glyph* baseGlyph(size_t index) const { return index < glyphList.size() ? glyphList[index] : nullptr; }

private:
    void relayout();
    // The world matrix and every glyph quad from the current transform.
    void rebuildGlyphQuads();
    void releaseShadow();
    void forgetTransitionCallback();
    void addGlyphSprite(size_t count);
    void stampShadow();
    void emitGlyphQuad(Glyph& g, float opacity, bool rebuild, const Kavro::Matrix4x4& text,
                       const Kavro::Vector2D& surfaceSize, int32_t n);
    static Glyph* glyphAt(const std::vector<Glyph*>& list, int32_t index);
    void fadeGlyph(Glyph* g, float alpha, uint32_t duration, int32_t curve);
    void moveGlyph(Glyph* g, float x, float y, uint32_t duration, int32_t curve);
    void scaleGlyph(Glyph* g, float x, float y, uint32_t duration, int32_t curve);
    void rotateGlyph(Glyph* g, float x, float y, float z, uint32_t duration, int32_t curve);
    void shakeGlyph(Glyph* g, CEffectShake* effect, const Kavro::Vector3D& startAmplitude,
                    const Kavro::Vector3D& endAmplitude, uint32_t period, uint32_t mode, uint32_t duration,
                    int32_t easing, int32_t swingEasing);
    void colorGlyph(Glyph* g, int32_t corner, float r, float g_, float b, float duration, int32_t curve);
    void startShake(CEffectShake* effect, const Kavro::Vector3D& startAmplitude, const Kavro::Vector3D& endAmplitude,
                    uint32_t period, uint32_t mode, uint32_t duration, int32_t easing, int32_t swingEasing);
    void releaseAtlas();
    std::array<float, 4> glyphRect(const std::vector<Glyph*>& list, int32_t index) const;
};

} // namespace Orvane
