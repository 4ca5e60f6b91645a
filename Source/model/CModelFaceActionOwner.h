#pragma once

namespace Kavro
{
class ISceneFrame;
class ISceneModel;
} // namespace Kavro

namespace Orvane
{

// What the face actions need of the character they act on: its scene model and four named frames of it
// (null when the model has no frame of that name).
class CModelFaceActionOwner
{
public:
    virtual Kavro::ISceneModel* getSceneModel() = 0;
    virtual Kavro::ISceneFrame* getFrame_EyeL() = 0;
    virtual Kavro::ISceneFrame* getFrame_EyeR() = 0;
    virtual Kavro::ISceneFrame* getFrame_Head() = 0;
    virtual Kavro::ISceneFrame* getFrame_SpineRoot() = 0;

protected:
    ~CModelFaceActionOwner() = default;
};

} // namespace Orvane
