// Split actions: the sprite cut into cells, merged into pieces that fly on queued actions.
#include "sprite/CSprite.h"

#include "core/CApp.h"

#include <kavro/CRandom.h>
#include <kavro/IQuad.h>

#include <algorithm>
#include <cmath>

namespace Orvane
{

using Kavro::Vector2D;
using Kavro::Vector3D;

namespace
{

constexpr int32_t minimumCell = 15;
// The most cells the library's quad takes in one list.
constexpr int64_t mostCells = 65535;

void shuffle(std::vector<int32_t>& list, Kavro::CRandom& random)
{
    for (size_t i = 1; i < list.size(); ++i)
        std::swap(list[i], list[size_t(random.GetInt(0, int32_t(i)))]);
}

void dropZeros(std::vector<int32_t>& sizes)
{
    sizes.erase(std::remove(sizes.begin(), sizes.end(), 0), sizes.end());
}

// count sizes adding up to total, cut at random: each cut takes between lowestCut and (widest - 5)
// off the widest; pieces narrower than 5 at the narrow end join their neighbour; then shuffled.
std::vector<int32_t> randomSizes(int32_t total, int32_t count, int32_t lowestCut, Kavro::CRandom& random)
{
    std::vector<int32_t> sizes(size_t(count), 0);
    sizes[0] = total;
    for (int32_t k = 0; k + 1 < count; ++k)
    {
        const int32_t cut = random.GetInt(lowestCut, sizes[0] - 5);
        sizes[size_t(k) + 1] = sizes[0] - cut;
        sizes[0] = cut;
        std::sort(sizes.begin(), sizes.end(), std::greater<int32_t>());
    }
    dropZeros(sizes);
    for (size_t i = sizes.size() - 1; sizes.size() >= 2 && i >= 1; --i)
    {
        if (sizes[i] >= 5) break;
        sizes[i - 1] += sizes[i];
        sizes[i] = 0;
    }
    dropZeros(sizes);
    shuffle(sizes, random);
    return sizes;
}

// count equal sizes adding up to total, the remainder one each to the first ones.
std::vector<int32_t> evenSizes(int32_t total, int32_t count)
{
    std::vector<int32_t> sizes(size_t(count), total / count);
    for (int32_t i = 0; i < total % count; ++i)
        ++sizes[size_t(i)];
    return sizes;
}

// Where a rule looks from: p against the block's centre, in halves of the sprite's size.
template <class Block>
void ruleDistances(const Block& b, const Vector3D& p, const int32_t rect[4], float& front, float& across, Vector3D& d)
{
    d = p - b.center;
    const float w = float(std::max(rect[2], 1)), h = float(std::max(rect[3], 1));
    if (b.aspect == 0)
    {
        d = d / std::min(w, h);
    }
    else
    {
        d.x = d.x / w;
        d.y = d.y / h;
    }
    d = d * 2.0f;
    const Vector3D side = b.dir.Cross(Vector3D(0.0f, 0.0f, 1.0f));
    front = std::fabs(b.dir.Dot(d));
    across = std::fabs(side.Dot(d));
}

template <class Block> float edgeWeight(const Block& b, float front, float across)
{
    const float w = std::exp(-(across * across * b.distEdge.y + front * front * b.distEdge.x));
    return b.inv != 0 ? 1.0f - w : w;
}

Vector3D vectorRule(const SplitVectorBlock& b, const Vector3D& p, const int32_t rect[4], Kavro::CRandom& random)
{
    float front = 0.0f, across = 0.0f;
    Vector3D d;
    ruleDistances(b, p, rect, front, across, d);
    Vector3D out = SplitUnitOrZero(d);
    out.z = std::sqrt(std::max(1.0f - d.Dot(d), 0.0f));
    float* component[3] = {&out.x, &out.y, &out.z};
    for (float* c : component)
    {
        const float w = edgeWeight(b, front, across);
        float base = b.distMin;
        if (b.distRandMin < b.distRandMax) base += random.GetFloat(b.distRandMin, b.distRandMax);
        *c = (w * (b.distMax - b.distMin) + base) * *c;
    }
    const float lows[3] = {b.randMin.x, b.randMin.y, b.randMin.z};
    const float highs[3] = {b.randMax.x, b.randMax.y, b.randMax.z};
    for (int i = 0; i < 3; ++i)
    {
        if (lows[i] < highs[i])
            *component[i] += random.GetFloat(lows[i], highs[i]);
        else if (lows[i] == highs[i])
            *component[i] += lows[i];
    }
    return Vector3D(out.x * b.mask.x, out.y * b.mask.y, out.z * b.mask.z);
}

float floatRule(const SplitFloatBlock& b, const Vector3D& p, const int32_t rect[4], Kavro::CRandom& random)
{
    float front = 0.0f, across = 0.0f;
    Vector3D d;
    ruleDistances(b, p, rect, front, across, d);
    float out = edgeWeight(b, front, across) * (b.distMax - b.distMin) + b.distMin;
    if (b.distRandMin < b.distRandMax) out += random.GetFloat(b.distRandMin, b.distRandMax);
    if (b.randMin < b.randMax) out += random.GetFloat(b.randMin, b.randMax);
    return out * b.mask;
}

// The motion law: with damping k > 0 the speed eases towards acceleration x k from the start pose;
// without, plain uniform acceleration from the rest place (no start term).
void motionAt(const Vector3D& start, const Vector3D& velocity, const Vector3D& acceleration, float k, float t,
              Vector3D& position, Vector3D& speed)
{
    if (k > 0.0f)
    {
        const Vector3D terminal = acceleration * k;
        const float fall = std::exp(-k * t);
        position = start + terminal * t + (velocity - terminal) * ((1.0f - fall) / k);
        speed = terminal + (velocity - terminal) * fall;
    }
    else
    {
        position = velocity * t + acceleration * (t * t * 0.5f);
        speed = velocity + acceleration * t;
    }
}

} // namespace

void CSprite::splitFace(int32_t rows, int32_t columns, const float& mergeRatio, int32_t seed, const int32_t& even)
{
    // No grid has fewer than one row or column.
    if (rows < 1 || columns < 1) return;
    // Compared with what was asked before, not with the counts the cell size reduced them to.
    if (rows == splitRequestedRows && columns == splitRequestedColumns && mergeRatio == splitMergeRatio &&
        float(seed) == splitSeed && float(even) == splitEven)
        return;
    splitRequestedRows = splitRows = rows;
    splitRequestedColumns = splitColumns = columns;
    splitMergeRatio = mergeRatio;
    splitSeed = float(seed);
    splitEven = float(even);
    splitActionTime = 0.0f;
    updateSplitAction(seed, even);
}

void CSprite::updateSplitAction(int32_t seed, const int32_t& even)
{
    splitCount = 0;
    splitPieces.clear();
    splitActions.clear();
    splitList.clear();
    // Whatever the outcome, the quad is laid out again: whole or in cells.
    dirty = 1;
    const int32_t w = rect[2], h = rect[3];
    if ((splitRows <= 1 && splitColumns <= 1) || w <= 0 || h <= 0) return;
    if (w / splitColumns < minimumCell) splitColumns = w / minimumCell;
    if (h / splitRows < minimumCell) splitRows = h / minimumCell;
    // Too small for one cell of the minimum size, or more cells than one quad list holds: left whole.
    if (splitColumns < 1 || splitRows < 1 || int64_t(splitRows) * splitColumns > mostCells) return;
    int32_t cellTotal = splitRows * splitColumns;
    if (Kavro::IQuad* quad = baseQuad()) quad->setQuadCount(cellTotal);

    Kavro::CRandom random{uint32_t(seed)};
    std::vector<int32_t> widths, heights;
    std::vector<Vector2D> points;
    if (even != 0)
    {
        widths = evenSizes(w, splitColumns);
        heights = evenSizes(h, splitRows);
        points.assign(size_t(splitRows + 1) * size_t(splitColumns + 1), Vector2D());
    }
    else
    {
        widths = randomSizes(w, splitColumns, 5, random);
        splitColumns = int32_t(widths.size());
        heights = randomSizes(h, splitRows, 1, random);
        splitRows = int32_t(heights.size());
        cellTotal = splitRows * splitColumns;
        points.assign(size_t(splitRows + 1) * size_t(splitColumns + 1), Vector2D());
        for (int32_t r = 0; r <= splitRows; ++r)
            for (int32_t c = 0; c <= splitColumns; ++c)
            {
                Vector2D& offset = points[size_t(r) * size_t(splitColumns + 1) + size_t(c)];
                offset.x = c == 0 || c == splitColumns
                               ? 0.0f
                               : float(random.GetInt(int32_t(float(widths[size_t(c) - 1]) * -0.4f),
                                                     int32_t(float(widths[size_t(c)]) * 0.4f)));
                offset.y = r == 0 || r == splitRows
                               ? 0.0f
                               : float(random.GetInt(int32_t(float(heights[size_t(r) - 1]) * -0.4f),
                                                     int32_t(float(heights[size_t(r)]) * 0.4f)));
            }
    }

    // Cells, row by row.
    splitPieces.resize(size_t(cellTotal));
    const auto point = [&](int32_t r, int32_t c) { return points[size_t(r) * size_t(splitColumns + 1) + size_t(c)]; };
    int32_t y = 0;
    for (int32_t r = 0; r < splitRows; ++r)
    {
        int32_t x = 0;
        for (int32_t c = 0; c < splitColumns; ++c)
        {
            SplitPiece& cell = splitPieces[size_t(r) * size_t(splitColumns) + size_t(c)];
            cell.x = x;
            cell.y = y;
            cell.w = widths[size_t(c)];
            cell.h = heights[size_t(r)];
            cell.centre = Vector3D(float(x) + float(cell.w) * 0.5f - float(w) * 0.5f,
                                   float(y) + float(cell.h) * 0.5f - float(h) * 0.5f, 0.0f);
            cell.cornerOffsets[0] = point(r, c);
            cell.cornerOffsets[1] = point(r, c + 1);
            cell.cornerOffsets[2] = point(r + 1, c);
            cell.cornerOffsets[3] = point(r + 1, c + 1);
            x += cell.w;
        }
        y += heights[size_t(r)];
    }

    // Merging: seed cells at random, then every other cell joins an assigned neighbour.
    const int32_t n = cellTotal;
    const int32_t seeds = int32_t(float(n) * (1.0f - std::clamp(splitMergeRatio, 0.0f, 1.0f)));
    std::vector<int32_t> order(static_cast<size_t>(n));
    for (int32_t i = 0; i < n; ++i)
        order[size_t(i)] = i;
    shuffle(order, random);
    std::vector<uint8_t> assigned(static_cast<size_t>(n), 0);
    for (int32_t i = 0; i < seeds && i < n; ++i)
        assigned[size_t(order[size_t(i)])] = 1;
    if (seeds <= 0) assigned[0] = 1;
    for (bool left = true; left;)
    {
        left = false;
        for (int32_t i = 0; i < n; ++i)
        {
            if (assigned[size_t(i)]) continue;
            const int32_t r = i / splitColumns, c = i % splitColumns;
            int32_t near[4];
            int32_t count = 0;
            if (c > 0 && assigned[size_t(i - 1)]) near[count++] = i - 1;
            if (c + 1 < splitColumns && assigned[size_t(i + 1)]) near[count++] = i + 1;
            if (r > 0 && assigned[size_t(i - splitColumns)]) near[count++] = i - splitColumns;
            if (r + 1 < splitRows && assigned[size_t(i + splitColumns)]) near[count++] = i + splitColumns;
            if (count == 0)
            {
                left = true;
                continue;
            }
            splitPieces[size_t(i)].group = count == 1 ? near[0] : near[random.GetInt(0, count - 1)];
            assigned[size_t(i)] = 1;
        }
    }

    // Pieces: the roots in index order, then every cell resolved to its root.
    for (int32_t i = 0; i < n; ++i)
        if (splitPieces[size_t(i)].group == -1)
        {
            splitPieces[size_t(i)].pieceIndex = splitCount++;
            splitList.push_back(i);
        }
    for (SplitPiece& cell : splitPieces)
    {
        if (cell.group == -1) continue;
        int32_t root = cell.group;
        while (splitPieces[size_t(root)].group != -1)
            root = splitPieces[size_t(root)].group;
        SplitPiece& rootCell = splitPieces[size_t(root)];
        cell.group = root;
        cell.pieceIndex = rootCell.pieceIndex;
        rootCell.cellCount += 1;
        rootCell.groupCentre += Vector2D(cell.centre.x, cell.centre.y);
    }
    for (int32_t index : splitList)
    {
        SplitPiece& root = splitPieces[size_t(index)];
        root.groupCentre += Vector2D(root.centre.x, root.centre.y);
        root.groupCentre = root.groupCentre / float(root.cellCount);
    }
    for (SplitPiece& cell : splitPieces)
        if (cell.group != -1)
        {
            cell.groupCentre = splitPieces[size_t(cell.group)].groupCentre;
            cell.cellCount = splitPieces[size_t(cell.group)].cellCount;
        }
}

void CSprite::clearSplitAction()
{
    splitActions.clear();
}

void CSprite::pushSplitAction(const SplitActionDesc& desc)
{
    if (splitCount < 1) return;
    // A negative (or not a number) length counts as none.
    const float time = desc.time > 0.0f ? desc.time : 0.0f;
    const SplitAction* previous = splitActions.empty() ? nullptr : &splitActions.back();
    SplitAction action;
    action.time = time;
    action.motions.resize(size_t(splitCount));
    Kavro::CRandom random{uint32_t(desc.seed)};
    for (int32_t i = 0; i < splitCount; ++i)
    {
        const Vector2D g = splitPieces[size_t(splitList[size_t(i)])].groupCentre;
        const Vector3D p(g.x, g.y, 0.0f);
        SplitPieceMotion& m = action.motions[size_t(i)];
        if (previous) m = previous->motions[size_t(i)];
        m.damping = desc.regist;
        m.angularDamping = desc.angRegist;
        if (desc.vel.enabled) m.velocity = vectorRule(desc.vel, p, rect, random);
        if (desc.acc.enabled) m.acceleration = vectorRule(desc.acc, p, rect, random);
        if (desc.angVel.enabled) m.angularVelocity = vectorRule(desc.angVel, p, rect, random);
        if (desc.angAcc.enabled) m.angularAcceleration = vectorRule(desc.angAcc, p, rect, random);
        if (desc.delay.enabled) m.delay = floatRule(desc.delay, p, rect, random);
        m.delay = std::clamp(m.delay, 0.0f, time);
    }
    for (int32_t i = 0; i < splitCount; ++i)
    {
        SplitPieceMotion& cur = action.motions[size_t(i)];
        if (!previous)
        {
            // A piece that never starts in its first action stays put.
            if (cur.delay >= time) cur.velocity = cur.acceleration = cur.angularVelocity = cur.angularAcceleration = {};
            continue;
        }
        const SplitPieceMotion& prev = previous->motions[size_t(i)];
        if (cur.delay >= time)
        {
            cur.velocity = prev.velocity;
            cur.acceleration = prev.acceleration;
            cur.angularVelocity = prev.angularVelocity;
            cur.angularAcceleration = prev.angularAcceleration;
        }
        // Where the piece is in the previous action at the moment it starts in this one.
        const float s = cur.delay + previous->time - prev.delay;
        Vector3D speed, turning;
        motionAt(prev.startPosition, prev.velocity, prev.acceleration, prev.damping, s, cur.startPosition, speed);
        motionAt(prev.startRotation, prev.angularVelocity, prev.angularAcceleration, prev.angularDamping, s,
                 cur.startRotation, turning);
        if (!desc.vel.enabled) cur.velocity = speed;
        if (!desc.angVel.enabled) cur.angularVelocity = turning;
    }
    splitActions.push_back(std::move(action));
}

void CSprite::beginSplitAction(const float& from, const float& to, const float& duration, const int32_t& easing,
                               const int32_t& keepRunning)
{
    float total = 0.0f;
    for (const SplitAction& action : splitActions)
        total += action.time * 1000.0f;
    splitAction.set(from * total, to * total, toWholeMilliseconds(duration), uint32_t(easing) < 61 ? easing : 0);
    splitActionRunning = uint32_t(keepRunning);
}

void CSprite::updateSplitActionTime()
{
    if (splitAction.update())
    {
        splitActionTime = 0.0f;
        splitDirty = 1;
        return;
    }
    // A clock of no duration has no speed to keep running at.
    if (splitActionRunning == 0 || !(splitAction.duration > 0.0f)) return;
    splitDirty = 1;
    const CApp* app = CApp::get();
    const float speed = app ? app->frameSpeed : 1.0f;
    splitActionTime += speed * 16.0f * timeScale * (splitAction.to - splitAction.from) / splitAction.duration;
}

void CSprite::applySplitAction()
{
    if (splitPieces.empty() || splitActions.empty() || !splitDirty) return;
    float t = (splitAction.scaledValue + splitActionTime) * 0.001f;
    size_t k = 0;
    while (k < splitActions.size() && splitActions[k].time < t)
    {
        t -= splitActions[k].time;
        ++k;
    }
    if (k == splitActions.size())
    {
        k = splitActions.size() - 1;
        t = splitActions[k].time + t;
    }
    for (SplitPiece& cell : splitPieces)
    {
        const size_t s = size_t(cell.pieceIndex);
        size_t a = k;
        float local = t - splitActions[k].motions[s].delay;
        if (local < 0.0f && k > 0)
        {
            a = k - 1;
            local = splitActions[a].time + t - splitActions[a].motions[s].delay;
        }
        local = std::max(local, 0.0f);
        const SplitPieceMotion& m = splitActions[a].motions[s];
        Vector3D unused;
        motionAt(m.startPosition, m.velocity, m.acceleration, m.damping, local, cell.position, unused);
        motionAt(m.startRotation, m.angularVelocity, m.angularAcceleration, m.angularDamping, local, cell.rotation,
                 unused);
    }
    dirty = 1;
}

} // namespace Orvane
