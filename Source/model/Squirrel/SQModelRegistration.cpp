// The script class "SQModel" and its method table.
#include "model/Squirrel/SQModel.h"

namespace Orvane::Squirrel
{

void SQModel::registerClass()
{
    using M = SQModel;
    SquirrelObject c = SqPlus::RegisterClassType<M>("SQModel");
    SqPlus::RegisterConstructor<M, const char*>(c);

    RegisterCommonMethods<M>(c);
    SqPlus::RegisterInstance(c, &M::link, "link");

    SqPlus::RegisterInstance(c, &M::loadModel, "loadModel");
    SqPlus::RegisterInstance(c, &M::loadEmotion, "loadEmotion");
    SqPlus::RegisterInstance(c, &M::remake, "remake");
    SqPlus::RegisterInstance(c, &M::loadMesh, "loadMesh");
    SqPlus::RegisterInstance(c, &M::eraseMesh, "eraseMesh");
    SqPlus::RegisterInstance(c, &M::setMeshVisible, "setMeshVisible");
    SqPlus::RegisterInstance(c, &M::setMeshDrawToEnd, "setMeshDrawToEnd");
    SqPlus::RegisterInstance(c, &M::getMeshVisible, "getMeshVisible");
    SqPlus::RegisterInstance(c, &M::getModelName, "getModelName");
    SqPlus::RegisterInstance(c, &M::getMeshNum, "getMeshNum");
    SqPlus::RegisterInstance(c, &M::getMeshName, "getMeshName");

    SqPlus::RegisterInstance(c, &M::loadMorph, "loadMorph");
    SqPlus::RegisterInstance(c, &M::loadMorphList, "loadMorphList");
    SqPlus::RegisterInstance(c, &M::eraseMorph, "eraseMorph");
    SqPlus::RegisterInstance(c, &M::clearMorph, "clearMorph");
    SqPlus::RegisterInstance(c, &M::setMorph, "setMorph");
    SqPlus::RegisterInstance(c, &M::setMorphWeight, "setMorphWeight");
    SqPlus::RegisterInstance(c, &M::getMorphWeight, "getMorphWeight");
    SqPlus::RegisterInstance(c, &M::getActiveMorphName, "getActiveMorphName");
    SqPlus::RegisterInstance(c, &M::getMorphTimer, "getMorphTimer");
    SqPlus::RegisterInstance(c, &M::setMorphTimer, "setMorphTimer");
    SqPlus::RegisterInstance(c, &M::getMorphNum, "getMorphNum");
    SqPlus::RegisterInstance(c, &M::getMorphName, "getMorphName");

    SqPlus::RegisterInstance(c, &M::loadMotion, "loadMotion");
    SqPlus::RegisterInstance(c, &M::eraseMotion, "eraseMotion");
    SqPlus::RegisterInstance(c, &M::setMotion, "setMotion");
    SqPlus::RegisterInstance(c, &M::addMotion, "addMotion");
    SqPlus::RegisterInstance(c, &M::setLayerMotion, "setLayerMotion");
    SqPlus::RegisterInstance(c, &M::addLayerMotion, "addLayerMotion");
    SqPlus::RegisterInstance(c, &M::changeLayerActiveMotionFrameTime, "changeLayerActiveMotionFrameTime");
    SqPlus::RegisterInstance(c, &M::setLayerActiveMotionIndex, "setLayerActiveMotionIndex");
    SqPlus::RegisterInstance(c, &M::getLayerActiveMotionIndex, "getLayerActiveMotionIndex");
    SqPlus::RegisterInstance(c, &M::setLayerActiveMotionTimer, "setLayerActiveMotionTimer");
    SqPlus::RegisterInstance(c, &M::getLayerActiveMotionTimer, "getLayerActiveMotionTimer");
    SqPlus::RegisterInstance(c, &M::getLayerActiveMotionFrameTime, "getLayerActiveMotionFrameTime");
    SqPlus::RegisterInstance(c, &M::setStopAllMotion, "setStopAllMotion");
    SqPlus::RegisterInstance(c, &M::switchMotion, "switchMotion");
    SqPlus::RegisterInstance(c, &M::resetPose, "resetPose");
    SqPlus::RegisterInstance(c, &M::isMotionOver, "isMotionOver");
    SqPlus::RegisterInstance(c, &M::isRemainMotion, "isRemainMotion");
    SqPlus::RegisterInstance(c, &M::setMotionSpeed, "setMotionSpeed");
    SqPlus::RegisterInstance(c, &M::setMotionLoop, "setMotionLoop");
    SqPlus::RegisterInstance(c, &M::getMotionMaxFrameTimeByName, "getMotionMaxFrameTimeByName");
    SqPlus::RegisterInstance(c, &M::getOriginalMotionSpeedByName, "getOriginalMotionSpeedByName");
    SqPlus::RegisterInstance(c, &M::waitMotion, "waitMotion");

    SqPlus::RegisterInstance(c, &M::move, "move");
    SqPlus::RegisterInstance(c, &M::scale, "scale");
    SqPlus::RegisterInstance(c, &M::rotate, "rotate");
    SqPlus::RegisterInstance(c, &M::getMove, "getMove");
    SqPlus::RegisterInstance(c, &M::getScale, "getScale");
    SqPlus::RegisterInstance(c, &M::getRotate, "getRotate");
    SqPlus::RegisterInstance(c, &M::isMoving, "isMoving");
    SqPlus::RegisterInstance(c, &M::isScaling, "isScaling");
    SqPlus::RegisterInstance(c, &M::isRotating, "isRotating");
    SqPlus::RegisterInstance(c, &M::shake, "shake");
    SqPlus::RegisterInstance(c, &M::randomShake, "randomShake");
    SqPlus::RegisterInstance(c, &M::resetSpline, "resetSpline");
    SqPlus::RegisterInstance(c, &M::setSpline, "setSpline");
    SqPlus::RegisterInstance(c, &M::beginSpline, "beginSpline");
    SqPlus::RegisterInstance(c, &M::getMoveTimer, "getMoveTimer");
    SqPlus::RegisterInstance(c, &M::getScaleTimer, "getScaleTimer");
    SqPlus::RegisterInstance(c, &M::getRotateTimer, "getRotateTimer");
    SqPlus::RegisterInstance(c, &M::getSplineTimer, "getSplineTimer");
    SqPlus::RegisterInstance(c, &M::getShakeTimer, "getShakeTimer");
    SqPlus::RegisterInstance(c, &M::setMoveTimer, "setMoveTimer");
    SqPlus::RegisterInstance(c, &M::setScaleTimer, "setScaleTimer");
    SqPlus::RegisterInstance(c, &M::setRotateTimer, "setRotateTimer");
    SqPlus::RegisterInstance(c, &M::setSplineTimer, "setSplineTimer");
    SqPlus::RegisterInstance(c, &M::setShakeTimer, "setShakeTimer");

    SqPlus::RegisterInstance(c, &M::setAnimationColorUV, "setAnimationColorUV");
    SqPlus::RegisterInstance(c, &M::setAnimationBumpUV, "setAnimationBumpUV");
    SqPlus::RegisterInstance(c, &M::setDiffuseColor, "setDiffuseColor");
    SqPlus::RegisterInstance(c, &M::checkHitCollisionLine, "checkHitCollisionLine");
    SqPlus::RegisterInstance(c, &M::checkSortHitCollisionLine, "checkSortHitCollisionLine");
    SqPlus::RegisterInstance(c, &M::checkHitCollisionPoint, "checkHitCollisionPoint");

    SqPlus::RegisterInstance(c, &M::erasePhysicsObject, "erasePhysicsObject");
    SqPlus::RegisterInstance(c, &M::enablePhysics, "enablePhysics");
    SqPlus::RegisterInstance(c, &M::physicsKinematic, "physicsKinematic");
    SqPlus::RegisterInstance(c, &M::resetPhysics, "resetPhysics");
}

} // namespace Orvane::Squirrel
