#pragma once

#include "core/CApp.h"
#include "core/ISceneObject.h"

#include <kavro/ISceneManager.h>
#include <kavro/ISceneNode.h>

#include <cstdint>

namespace Orvane
{

// The handle a 3D binding holds its library scene object by (T: ISceneModel, ISceneSprite, ISceneParticle,
// IScenePointLight, ...). It owns one reference of the object and hands the object's scene node to the
// scene while the object is there and visible.
template <typename T> class CSceneObject : public ISceneObject
{
public:
    CSceneObject() = default;
    ~CSceneObject() override { hold(nullptr); }
    CSceneObject(const CSceneObject&) = delete;
    CSceneObject& operator=(const CSceneObject&) = delete;

    int isValid() override { return object != nullptr; }
    int isVisible() override { return visible; }
    // The object's scene node while it is there and visible; null otherwise, without asking the object.
    virtual Kavro::ISceneNode* getSceneNode()
    {
        if (!object || !isVisible())
            return nullptr;
        return object->getSceneNode();
    }
    int addToScene() override
    {
        Kavro::ISceneNode* node = getSceneNode();
        CApp* app = CApp::get();
        if (!node || !app || !app->sceneManager)
            return -1;
        return app->sceneManager->addSceneNode(node);
    }

    // Holds newObject with a reference of its own in place of the previous object (released).
    void hold(T* newObject)
    {
        if (newObject)
            newObject->addRef();
        if (object)
            object->release();
        object = newObject;
    }
    T* get() const { return object; }

    int32_t visible = 1;

private:
    T* object = nullptr;
};

} // namespace Orvane
