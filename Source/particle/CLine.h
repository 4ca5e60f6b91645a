#pragma once

#include "core/CRenderingTaskObject.h"

#include <kavro/Vector2D.h>
#include <kavro/Vector3D.h>
#include <kavro/Vector4D.h>

#include <cstdint>

namespace Kavro
{
class ICamera;
class ILineList;
struct Matrix4x4;
} // namespace Kavro

namespace Orvane
{

class CLinePoint;

// A straight, thick, coloured line between two animated ends, in screen pixels or, with a camera, in its 3D
// view. It is drawn as a strip of 4 x thickness one-pixel lines of the library whose ends are lengthened
// along a sine, which rounds them. Per-end operations take index 0 (start) or 1 (end); any other index is
// ignored and the getters answer 0. Times are milliseconds; easings are curve indices, 61 or more as 0.
class CLine : public CRenderingTaskObject
{
public:
    CLine();
    ~CLine() override;

    Kavro::Vector3D getWorldScale() override { return pixelScale; }
    // Advances every animation of both ends; a running one, or a camera, marks the line for rebuilding.
    int update() override;
    // Rebuilds when the line changed in this frame or the one before.
    int render() override;
    // Draws when visible, created, and either end not wholly transparent.
    int draw() override;
    bool isInCamera(Kavro::ICamera* camera) override;
    // The larger projected depth of the two ends in the line's own camera; 0 for any other.
    float getCameraDepth(Kavro::ICamera* camera) override;

    // Thickness clamped to 1..10; a line list for 8 x thickness lines. -1 when the device gives none.
    virtual int create(int32_t thickness);
    virtual bool isCreated();
    virtual void rebuild();
    // Without a camera, or at a distance of 0 or less, one unit is one pixel; otherwise a pixel covers what
    // the camera shows at that distance (fieldOfView above 0 in place of the camera's own).
    virtual void setCamera(Kavro::ICamera* newCamera, float distance, float fieldOfView);

    void setDirty() { dirty = 1; }
    void setVisible(int32_t value) { visible = value; }
    int32_t getVisible() const { return visible; }
    // A negative index colours both ends.
    void setColor(int32_t index, float r, float g, float b, float time, int32_t easing);
    // Red, green, blue and alpha of the end.
    Kavro::Vector4D getColor(int32_t index);
    void setBlendMode(int32_t mode);
    int32_t getBlendMode() const { return blendMode; }
    void fade(int32_t index, float alpha, uint32_t time, int32_t easing);
    void move(int32_t index, const Kavro::Vector2D& position, uint32_t time, int32_t easing);
    // Keeps the end's z.
    void move(int32_t index, float x, float y, uint32_t time, int32_t easing);
    void move3D(int32_t index, float x, float y, float z, uint32_t time, int32_t easing);
    void setTimeScale(float scale);
    float getFade(int32_t index);
    Kavro::Vector3D getMove(int32_t index);
    int32_t isFading(int32_t index);
    int32_t isMoving(int32_t index);
    // Elapsed milliseconds of the end's animations; a negative index reads end 0's colour timer.
    float getFadeTimer(int32_t index);
    float getMoveTimer(int32_t index);
    float getColorTimer(int32_t index);
    // Seek the end's animation (clamped to its duration) and apply it at once.
    void setFadeTimer(int32_t index, float time);
    void setMoveTimer(int32_t index, float time);
    void setColorTimer(int32_t index, float time);

    // The end of that index; null outside 0..1.
    CLinePoint* getPoint(int32_t index);
    int32_t getThickness() const { return thickness; }
    // After a rebuild: screen x, screen y, depth and w of an end.
    const Kavro::Vector4D& getScreenPosition(int index) const { return screenPositions[index]; }
    // The ends' colours as packed bytes red, green, blue, alpha, as last built.
    uint32_t getPackedColor(int index) const { return colors[index]; }
    Kavro::ILineList* getLineObject() const { return lineObject; }

    Kavro::Vector3D pixelScale{1.0f, 1.0f, 1.0f};

private:
    void packColors();
    void buildStrip(const Kavro::Matrix4x4& viewProjection);
    void addLine(const Kavro::Matrix4x4& viewProjection, const Kavro::Vector3D& from, const Kavro::Vector3D& to);
    void project(const Kavro::Matrix4x4& viewProjection, const Kavro::Vector2D& view);
    void releaseLineObject();

    CLinePoint* points[2];
    uint32_t colors[2] = {};
    Kavro::Vector4D screenPositions[2];
    Kavro::ILineList* lineObject = nullptr;
    int32_t blendMode = 1;
    int32_t visible = 1;
    int32_t dirty = 1;
    int32_t wasDirty = 1;
    float timeScale = 1.0f;
    int32_t thickness = 2;
    Kavro::ICamera* camera = nullptr;
    float cameraDistance = -1.0f;
};

} // namespace Orvane
