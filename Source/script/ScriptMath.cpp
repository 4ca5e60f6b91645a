#include "script/ScriptMath.h"

#include "script/CSquirrel.h"
#include "script/SqPlus.h"

#include <kavro/Matrix4x4.h>
#include <kavro/Quaternion.h>
#include <kavro/Vector3D.h>

namespace Orvane
{

namespace
{

// Positions of the operand groups among the host's scratch values.
constexpr int V1 = 0;
constexpr int V2 = 3;
constexpr int Q1 = 6;
constexpr int Q2 = 10;
constexpr int Ret = 14;

float& value(int index)
{
    static float none = 0.0f;
    CSquirrel* host = CSquirrel::get();
    return host ? host->mathValue(index) : none;
}

Kavro::Vector3D vector(int at)
{
    return {value(at), value(at + 1), value(at + 2)};
}

Kavro::Quaternion quaternion(int at)
{
    return {value(at), value(at + 1), value(at + 2), value(at + 3)};
}

void result(float scalar)
{
    value(Ret) = scalar;
}

void result(const Kavro::Vector3D& v)
{
    value(Ret) = v.x;
    value(Ret + 1) = v.y;
    value(Ret + 2) = v.z;
}

void result(const Kavro::Quaternion& q)
{
    value(Ret) = q.x;
    value(Ret + 1) = q.y;
    value(Ret + 2) = q.z;
    value(Ret + 3) = q.w;
}

void V3Add() { result(vector(V1) + vector(V2)); }
void V3Sub() { result(vector(V1) - vector(V2)); }
void V3Dot() { result(vector(V1).Dot(vector(V2))); }
void V3Cross() { result(vector(V1).Cross(vector(V2))); }
void V3MulS() { result(vector(V1) * value(V2)); }
void V3DivS() { result(vector(V1) / value(V2)); }
void V3Norm() { result(vector(V1).GetNormalize()); }
void V3LenSq() { result(vector(V1).LengthSq()); }
void V3Len() { result(vector(V1).Length()); }
void V3RotZXY() { result(vector(V1).TransformCoord(Kavro::Matrix4x4().RotationZXY(value(V2), value(V2 + 1), value(V2 + 2)))); }
void V3RotAxis() { result(vector(V1).RotationAxis(value(Q1), vector(V2))); }
void V3RotQ() { result(vector(V1).TransformCoord(quaternion(Q1).ToMatrix())); }
void QAdd() { result(Kavro::Quaternion::Add(quaternion(Q1), quaternion(Q2))); }
void QSub() { result(Kavro::Quaternion::Sub(quaternion(Q1), quaternion(Q2))); }
void QMul() { result(Kavro::Quaternion::Mul(quaternion(Q1), quaternion(Q2))); }
void QDot() { result(quaternion(Q1).Dot(quaternion(Q2))); }
void QNorm() { result(quaternion(Q1).GetNormalize()); }
void QLenSq() { result(quaternion(Q1).LengthSq()); }
void QLen() { result(quaternion(Q1).Length()); }
void QConj() { result(quaternion(Q1).Conjugate()); }
void QRotXYZ() { result(Kavro::Quaternion().RotationXYZ(value(V1), value(V1 + 1), value(V1 + 2))); }
void QRotAxis() { result(Kavro::Quaternion().RotationAxis(vector(V1), value(V2))); }

} // namespace

void RegisterScriptMathFunctions()
{
    struct Entry
    {
        void (*function)();
        const char* name;
    };
    static constexpr Entry Functions[] = {
        {&V3Add, "SQMATH_V3_Add"},         {&V3Sub, "SQMATH_V3_Sub"},     {&V3Dot, "SQMATH_V3_Dot"},
        {&V3Cross, "SQMATH_V3_Cross"},     {&V3MulS, "SQMATH_V3_MulS"},   {&V3DivS, "SQMATH_V3_DivS"},
        {&V3Norm, "SQMATH_V3_Norm"},       {&V3LenSq, "SQMATH_V3_LenSq"}, {&V3Len, "SQMATH_V3_Len"},
        {&V3RotZXY, "SQMATH_V3_RotZXY"},   {&V3RotAxis, "SQMATH_V3_RotAxis"}, {&V3RotQ, "SQMATH_V3_RotQ"},
        {&QAdd, "SQMATH_Q_Add"},           {&QSub, "SQMATH_Q_Sub"},       {&QMul, "SQMATH_Q_Mul"},
        {&QDot, "SQMATH_Q_Dot"},           {&QNorm, "SQMATH_Q_Norm"},     {&QLenSq, "SQMATH_Q_LenSq"},
        {&QLen, "SQMATH_Q_Len"},           {&QConj, "SQMATH_Q_Conj"},     {&QRotXYZ, "SQMATH_Q_RotXYZ"},
        {&QRotAxis, "SQMATH_Q_RotAxis"},
    };
    for (const Entry& entry : Functions)
        SqPlus::RegisterGlobal(entry.function, entry.name);
}

} // namespace Orvane
