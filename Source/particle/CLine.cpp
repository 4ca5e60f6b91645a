#include "particle/CLine.h"

#include "core/CApp.h"
#include "core/CameraView.h"
#include "core/ColourBytes.h"
#include "particle/CLinePoint.h"

#include <kavro/ICamera.h>
#include <kavro/ILineList.h>
#include <kavro/IRenderDevice.h>
#include <kavro/Matrix4x4.h>

#include <algorithm>
#include <cmath>

namespace Orvane
{

namespace
{

using Kavro::Matrix4x4;
using Kavro::Vector3D;
using Kavro::Vector4D;

constexpr int32_t MinThickness = 1;
constexpr int32_t MaxThickness = 10;
// Library lines per unit of thickness that the line list is made for; a strip uses half of them.
constexpr int32_t LinesPerThickness = 8;
constexpr float Pi = 3.14159265f;

Vector4D point(const Vector3D& p)
{
    return {p.x, p.y, p.z, 1.0f};
}

template <class T> using Animation = CInterpolator<T> CLinePoint::*;

template <class T> float elapsedOf(const CLinePoint* end, Animation<T> which)
{
    return end ? (end->*which).elapsed : 0.0f;
}

// Seeks the end's animation; false without an end.
template <class T> bool seek(CLinePoint* end, Animation<T> which, float time)
{
    if (!end)
        return false;
    (end->*which).setTime(time);
    return true;
}

bool hasAlpha(uint32_t rgba)
{
    return (rgba >> 24) != 0;
}

} // namespace

CLine::CLine() : points{new CLinePoint(*this), new CLinePoint(*this)}
{
}

CLine::~CLine()
{
    if (camera)
        camera->release();
    releaseLineObject();
    for (CLinePoint* end : points)
        end->release();
}

void CLine::releaseLineObject()
{
    if (lineObject)
        lineObject->release();
    lineObject = nullptr;
}

CLinePoint* CLine::getPoint(int32_t index)
{
    return index == 0 || index == 1 ? points[index] : nullptr;
}

// ---- Frame

int CLine::update()
{
    int ran = 0;
    for (CLinePoint* end : points)
    {
        ran |= end->fade.update();
        ran |= end->move.update();
        ran |= end->color.update();
    }
    // The view of a camera may move at any time.
    if (ran || camera)
        dirty = 1;
    return 0;
}

int CLine::render()
{
    const int32_t changed = dirty;
    if (changed || wasDirty)
        rebuild();
    wasDirty = changed;
    return 0;
}

int CLine::draw()
{
    if (visible && (hasAlpha(colors[0]) || hasAlpha(colors[1])) && lineObject)
        lineObject->render();
    return 0;
}

bool CLine::isInCamera(Kavro::ICamera* given)
{
    return camera && camera == given;
}

float CLine::getCameraDepth(Kavro::ICamera* given)
{
    return isInCamera(given) ? std::max(screenPositions[0].z, screenPositions[1].z) : 0.0f;
}

// ---- Creation and geometry

int CLine::create(int32_t wanted)
{
    thickness = std::clamp(wanted, MinThickness, MaxThickness);
    releaseLineObject();
    const CApp* app = CApp::get();
    Kavro::IRenderDevice* device = app ? app->renderDevice : nullptr;
    lineObject = device ? device->createLineList(thickness * LinesPerThickness) : nullptr;
    if (!lineObject)
        return -1;
    dirty = 1;
    update();
    return 0;
}

bool CLine::isCreated()
{
    return lineObject != nullptr;
}

void CLine::setCamera(Kavro::ICamera* newCamera, float distance, float fieldOfView)
{
    if (newCamera)
        newCamera->addRef();
    if (camera)
        camera->release();
    camera = newCamera;
    cameraDistance = distance;
    const float scale = CameraPixelScale(camera, distance, fieldOfView, getTargetViewSize().y);
    pixelScale = Vector3D(scale, scale, scale);
}

void CLine::rebuild()
{
    packColors();
    const Kavro::Vector2D view = getTargetViewSize();
    const Matrix4x4 viewProjection = AppendViewProjection(Matrix4x4(), camera, view);
    if (lineObject)
    {
        buildStrip(viewProjection);
        project(viewProjection, view);
    }
    dirty = 0;
}

void CLine::packColors()
{
    for (int i = 0; i < 2; ++i)
        colors[i] = PackRgba(points[i]->color.value, UnitColourByte(points[i]->fade.value));
}

void CLine::buildStrip(const Matrix4x4& viewProjection)
{
    lineObject->begin();
    const Vector3D p0 = points[0]->world.GetPosition();
    const Vector3D p1 = points[1]->world.GetPosition();
    screenPositions[0] = point(p0);
    screenPositions[1] = point(p1);
    // Two ends in one place have no direction to draw along: such a line shows nothing.
    if (!(p0 == p1))
    {
        const Vector3D dir = (p1 - p0).GetNormalize();
        const Vector3D side = Vector3D(0.0f, 0.0f, 1.0f).Cross(dir);
        const float s = pixelScale.x;
        const int32_t n = thickness;
        if (n == 1)
        {
            addLine(viewProjection, p0, p1);
        }
        else
        {
            const float halfWidth = float(n) * 0.5f * s;
            const Vector3D nudge = Vector3D(0.5f, 0.5f, 0.0f) * s;
            Vector3D q0 = p0 - side * halfWidth + nudge;
            Vector3D q1 = p1 - side * halfWidth + nudge;
            const Vector3D step = side * (s * 0.25f);
            // 4n lines a quarter unit apart fill the band; lengthening them along a sine rounds its ends.
            for (int32_t i = 0; i < 4 * n; ++i)
            {
                const float e = std::sin(Pi / float(4 * n) * float(i)) * float(n) * 0.5f * s;
                addLine(viewProjection, q0 - dir * e, q1 + dir * e);
                q0 += step;
                q1 += step;
            }
        }
    }
    lineObject->end();
}

void CLine::addLine(const Matrix4x4& viewProjection, const Vector3D& from, const Vector3D& to)
{
    lineObject->addLine(viewProjection, point(from), colors[0], point(to), colors[1]);
}

void CLine::project(const Matrix4x4& viewProjection, const Kavro::Vector2D& view)
{
    const Matrix4x4 toPixels = ViewportMapping(view);
    const bool orthographic = camera && camera->getProjection() == 1;
    for (Vector4D& position : screenPositions)
    {
        const Vector4D c = position.Transform(viewProjection);
        const Vector4D q = Vector4D(c.x / c.w, c.y / c.w, c.z / c.w, 1.0f).Transform(toPixels);
        position = orthographic ? Vector4D(q.x, q.y, q.z, 1.0f) : Vector4D(q.x, q.y, c.z, c.w);
    }
}

// ---- Ends

void CLine::setColor(int32_t index, float r, float g, float b, float time, int32_t easing)
{
    const uint32_t duration = toWholeMilliseconds(time);
    for (int i = 0; i < 2; ++i)
        if (index < 0 || index == i)
            points[i]->color.set(points[i]->color.value, Vector3D(r, g, b), duration, easing);
    dirty = 1;
}

Vector4D CLine::getColor(int32_t index)
{
    const CLinePoint* end = getPoint(index);
    if (!end)
        return {};
    const Vector3D& c = end->color.value;
    return {c.x, c.y, c.z, end->fade.value};
}

void CLine::setBlendMode(int32_t mode)
{
    blendMode = mode;
    if (lineObject)
        lineObject->setBlendMode(mode);
}

void CLine::fade(int32_t index, float alpha, uint32_t time, int32_t easing)
{
    if (CLinePoint* end = getPoint(index))
    {
        end->fade.set(end->fade.value, alpha, time, easing);
        dirty = 1;
    }
}

void CLine::move(int32_t index, const Kavro::Vector2D& position, uint32_t time, int32_t easing)
{
    move(index, position.x, position.y, time, easing);
}

void CLine::move(int32_t index, float x, float y, uint32_t time, int32_t easing)
{
    if (CLinePoint* end = getPoint(index))
        move3D(index, x, y, end->move.value.z, time, easing);
}

void CLine::move3D(int32_t index, float x, float y, float z, uint32_t time, int32_t easing)
{
    if (CLinePoint* end = getPoint(index))
    {
        end->move.set(end->move.value, Vector3D(x, y, z), time, easing);
        dirty = 1;
    }
}

void CLine::setTimeScale(float scale)
{
    timeScale = scale;
    for (CLinePoint* end : points)
    {
        end->fade.timeScale = scale;
        end->move.timeScale = scale;
        end->color.timeScale = scale;
    }
}

float CLine::getFade(int32_t index)
{
    const CLinePoint* end = getPoint(index);
    return end ? end->fade.value : 0.0f;
}

Vector3D CLine::getMove(int32_t index)
{
    const CLinePoint* end = getPoint(index);
    return end ? end->move.value : Vector3D();
}

int32_t CLine::isFading(int32_t index)
{
    const CLinePoint* end = getPoint(index);
    return end ? int32_t(end->fade.active) : 0;
}

int32_t CLine::isMoving(int32_t index)
{
    const CLinePoint* end = getPoint(index);
    return end ? int32_t(end->move.active) : 0;
}

float CLine::getFadeTimer(int32_t index)
{
    return elapsedOf(getPoint(index), &CLinePoint::fade);
}

float CLine::getMoveTimer(int32_t index)
{
    return elapsedOf(getPoint(index), &CLinePoint::move);
}

float CLine::getColorTimer(int32_t index)
{
    return elapsedOf(getPoint(index < 0 ? 0 : index), &CLinePoint::color);
}

void CLine::setFadeTimer(int32_t index, float time)
{
    if (seek(getPoint(index), &CLinePoint::fade, time))
        dirty = 1;
}

void CLine::setMoveTimer(int32_t index, float time)
{
    if (seek(getPoint(index), &CLinePoint::move, time))
        dirty = 1;
}

void CLine::setColorTimer(int32_t index, float time)
{
    if (seek(getPoint(index), &CLinePoint::color, time))
        dirty = 1;
}

} // namespace Orvane
