#pragma once

#include "model/Squirrel/SQModel.h"

namespace Orvane::Squirrel
{

// Binds an SQModel method to the script class of M (SQModel or a class derived from it), so that the call
// finds its instance under M's own type.
template <typename M, typename R, typename... A> void BindModelMethod(SquirrelObject& c, R (SQModel::*method)(A...), const char* name)
{
    SqPlus::RegisterInstance(c, static_cast<R (M::*)(A...)>(method), name);
}

// The model methods that every model script class offers: SQModel's, and those the character shares with it.
// Methods of the plain model alone are registered by SQModel::registerClass.
template <typename M> void RegisterModelMethods(SquirrelObject& c)
{
    RegisterCommonMethods<M>(c);

    BindModelMethod<M>(c, &SQModel::loadModel, "loadModel");
    BindModelMethod<M>(c, &SQModel::loadEmotion, "loadEmotion");
    BindModelMethod<M>(c, &SQModel::remake, "remake");
    BindModelMethod<M>(c, &SQModel::loadMesh, "loadMesh");
    BindModelMethod<M>(c, &SQModel::eraseMesh, "eraseMesh");
    BindModelMethod<M>(c, &SQModel::setMeshVisible, "setMeshVisible");
    BindModelMethod<M>(c, &SQModel::setMeshDrawToEnd, "setMeshDrawToEnd");
    BindModelMethod<M>(c, &SQModel::getMeshVisible, "getMeshVisible");
    BindModelMethod<M>(c, &SQModel::getModelName, "getModelName");
    BindModelMethod<M>(c, &SQModel::getMeshNum, "getMeshNum");
    BindModelMethod<M>(c, &SQModel::getMeshName, "getMeshName");

    BindModelMethod<M>(c, &SQModel::loadMorph, "loadMorph");
    BindModelMethod<M>(c, &SQModel::loadMorphList, "loadMorphList");
    BindModelMethod<M>(c, &SQModel::eraseMorph, "eraseMorph");
    BindModelMethod<M>(c, &SQModel::clearMorph, "clearMorph");
    BindModelMethod<M>(c, &SQModel::getMorphWeight, "getMorphWeight");
    BindModelMethod<M>(c, &SQModel::getActiveMorphName, "getActiveMorphName");
    BindModelMethod<M>(c, &SQModel::getMorphTimer, "getMorphTimer");
    BindModelMethod<M>(c, &SQModel::setMorphTimer, "setMorphTimer");
    BindModelMethod<M>(c, &SQModel::getMorphNum, "getMorphNum");
    BindModelMethod<M>(c, &SQModel::getMorphName, "getMorphName");

    BindModelMethod<M>(c, &SQModel::loadMotion, "loadMotion");
    BindModelMethod<M>(c, &SQModel::eraseMotion, "eraseMotion");
    BindModelMethod<M>(c, &SQModel::setMotion, "setMotion");
    BindModelMethod<M>(c, &SQModel::addMotion, "addMotion");
    BindModelMethod<M>(c, &SQModel::setLayerMotion, "setLayerMotion");
    BindModelMethod<M>(c, &SQModel::addLayerMotion, "addLayerMotion");
    BindModelMethod<M>(c, &SQModel::changeLayerActiveMotionFrameTime, "changeLayerActiveMotionFrameTime");
    BindModelMethod<M>(c, &SQModel::setLayerActiveMotionIndex, "setLayerActiveMotionIndex");
    BindModelMethod<M>(c, &SQModel::getLayerActiveMotionIndex, "getLayerActiveMotionIndex");
    BindModelMethod<M>(c, &SQModel::setLayerActiveMotionTimer, "setLayerActiveMotionTimer");
    BindModelMethod<M>(c, &SQModel::getLayerActiveMotionTimer, "getLayerActiveMotionTimer");
    BindModelMethod<M>(c, &SQModel::getLayerActiveMotionFrameTime, "getLayerActiveMotionFrameTime");
    BindModelMethod<M>(c, &SQModel::setStopAllMotion, "setStopAllMotion");
    BindModelMethod<M>(c, &SQModel::switchMotion, "switchMotion");
    BindModelMethod<M>(c, &SQModel::resetPose, "resetPose");
    BindModelMethod<M>(c, &SQModel::isMotionOver, "isMotionOver");
    BindModelMethod<M>(c, &SQModel::isRemainMotion, "isRemainMotion");
    BindModelMethod<M>(c, &SQModel::setMotionSpeed, "setMotionSpeed");
    BindModelMethod<M>(c, &SQModel::setMotionLoop, "setMotionLoop");
    BindModelMethod<M>(c, &SQModel::getMotionMaxFrameTimeByName, "getMotionMaxFrameTimeByName");
    BindModelMethod<M>(c, &SQModel::getOriginalMotionSpeedByName, "getOriginalMotionSpeedByName");
    BindModelMethod<M>(c, &SQModel::waitMotion, "waitMotion");

    BindModelMethod<M>(c, &SQModel::move, "move");
    BindModelMethod<M>(c, &SQModel::scale, "scale");
    BindModelMethod<M>(c, &SQModel::rotate, "rotate");
    BindModelMethod<M>(c, &SQModel::getMove, "getMove");
    BindModelMethod<M>(c, &SQModel::getScale, "getScale");
    BindModelMethod<M>(c, &SQModel::getRotate, "getRotate");
    BindModelMethod<M>(c, &SQModel::isMoving, "isMoving");
    BindModelMethod<M>(c, &SQModel::isScaling, "isScaling");
    BindModelMethod<M>(c, &SQModel::isRotating, "isRotating");
    BindModelMethod<M>(c, &SQModel::shake, "shake");
    BindModelMethod<M>(c, &SQModel::randomShake, "randomShake");
    BindModelMethod<M>(c, &SQModel::resetSpline, "resetSpline");
    BindModelMethod<M>(c, &SQModel::setSpline, "setSpline");
    BindModelMethod<M>(c, &SQModel::beginSpline, "beginSpline");
    BindModelMethod<M>(c, &SQModel::getMoveTimer, "getMoveTimer");
    BindModelMethod<M>(c, &SQModel::getScaleTimer, "getScaleTimer");
    BindModelMethod<M>(c, &SQModel::getRotateTimer, "getRotateTimer");
    BindModelMethod<M>(c, &SQModel::getSplineTimer, "getSplineTimer");
    BindModelMethod<M>(c, &SQModel::getShakeTimer, "getShakeTimer");
    BindModelMethod<M>(c, &SQModel::setMoveTimer, "setMoveTimer");
    BindModelMethod<M>(c, &SQModel::setScaleTimer, "setScaleTimer");
    BindModelMethod<M>(c, &SQModel::setRotateTimer, "setRotateTimer");
    BindModelMethod<M>(c, &SQModel::setSplineTimer, "setSplineTimer");
    BindModelMethod<M>(c, &SQModel::setShakeTimer, "setShakeTimer");

    BindModelMethod<M>(c, &SQModel::setAnimationColorUV, "setAnimationColorUV");
    BindModelMethod<M>(c, &SQModel::setAnimationBumpUV, "setAnimationBumpUV");
    BindModelMethod<M>(c, &SQModel::setDiffuseColor, "setDiffuseColor");
    BindModelMethod<M>(c, &SQModel::loadMaterial, "loadMaterial");
    BindModelMethod<M>(c, &SQModel::setMaterialVisible, "setMaterialVisible");
    BindModelMethod<M>(c, &SQModel::getMaterialVisible, "getMaterialVisible");
    BindModelMethod<M>(c, &SQModel::setMaterialDiffuseColor, "setMaterialDiffuseColor");
    BindModelMethod<M>(c, &SQModel::clearMaterial, "clearMaterial");
    BindModelMethod<M>(c, &SQModel::getMaterialNum, "getMaterialNum");
    BindModelMethod<M>(c, &SQModel::getMaterialName, "getMaterialName");
    BindModelMethod<M>(c, &SQModel::checkHitCollisionLine, "checkHitCollisionLine");
    BindModelMethod<M>(c, &SQModel::checkSortHitCollisionLine, "checkSortHitCollisionLine");
    BindModelMethod<M>(c, &SQModel::checkHitCollisionPoint, "checkHitCollisionPoint");

    BindModelMethod<M>(c, &SQModel::exportPhysicsSetting, "exportPhysicsSetting");
    BindModelMethod<M>(c, &SQModel::importPhysicsSetting, "importPhysicsSetting");
    BindModelMethod<M>(c, &SQModel::erasePhysicsObject, "erasePhysicsObject");
    BindModelMethod<M>(c, &SQModel::enablePhysics, "enablePhysics");
    BindModelMethod<M>(c, &SQModel::physicsKinematic, "physicsKinematic");
    BindModelMethod<M>(c, &SQModel::resetPhysics, "resetPhysics");
}

} // namespace Orvane::Squirrel
