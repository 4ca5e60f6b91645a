#include "core/CFrame.h"

#include "core/CApp.h"

#include <algorithm>

namespace Orvane
{

CFrame::CFrame(const std::string& name, CFrame* parent) : CObject(name)
{
    setParent(parent);
}

CFrame::~CFrame()
{
    setParent(nullptr);
    for (CFrame* child : children)
        child->parent = nullptr;
}

int CFrame::updateWorldMatrix()
{
    world = parent ? local * parent->world : local;
    for (CFrame* child : children)
        child->updateWorldMatrix();
    return 0;
}

Kavro::Vector2D CFrame::getViewSize()
{
    return getScreenSize();
}

Kavro::Vector2D CFrame::getParentViewSize()
{
    return parent ? parent->getViewSize() : getScreenSize();
}

Kavro::Vector3D CFrame::getWorldScale()
{
    return {1.0f, 1.0f, 1.0f};
}

void CFrame::setParent(CFrame* newParent)
{
    if (parent)
        parent->removeChild(this);
    parent = newParent;
    if (parent && std::find(parent->children.begin(), parent->children.end(), this) == parent->children.end())
        parent->children.push_back(this);
}

void CFrame::removeChild(CFrame* child)
{
    std::erase(children, child);
}

Kavro::Matrix4x4 CFrame::getParentWorldMatrix() const
{
    return parent ? parent->world : Kavro::Matrix4x4();
}

Kavro::Vector2D CFrame::getScreenSize()
{
    const CApp* app = CApp::get();
    if (!app)
        return {};
    return {float(app->screenWidth), float(app->screenHeight)};
}

} // namespace Orvane
