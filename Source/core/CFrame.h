#pragma once

#include "core/CObject.h"

#include <kavro/Matrix4x4.h>
#include <kavro/Vector2D.h>
#include <kavro/Vector3D.h>

#include <vector>

namespace Orvane
{

// A node of the transform tree. A parent does not own its children; each side forgets the other
// when it is destroyed.
class CFrame : public CObject
{
public:
    explicit CFrame(const std::string& name = {}, CFrame* parent = nullptr);
    ~CFrame() override;

    // world := local x parent's world (local alone for a root), then every child, depth first.
    virtual int updateWorldMatrix();
    // The application's logical screen size.
    virtual Kavro::Vector2D getViewSize();
    // The parent's view size, or the screen size for a root.
    virtual Kavro::Vector2D getParentViewSize();
    virtual Kavro::Vector3D getWorldScale();

    // Leaves the old parent and joins the new one (null: becomes a root); never listed twice.
    void setParent(CFrame* newParent);
    // Erases every entry of child; the child's own parent pointer is left as it is.
    void removeChild(CFrame* child);

    CFrame* getParent() const { return parent; }
    const std::vector<CFrame*>& getChildren() const { return children; }
    // The parent's world matrix; the identity for a root.
    Kavro::Matrix4x4 getParentWorldMatrix() const;

    // The application's screen size as floats; (0, 0) without an application.
    static Kavro::Vector2D getScreenSize();

    Kavro::Matrix4x4 local;
    Kavro::Matrix4x4 world;

private:
    CFrame* parent = nullptr;
    std::vector<CFrame*> children;
};

} // namespace Orvane
