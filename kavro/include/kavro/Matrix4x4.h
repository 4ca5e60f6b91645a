#pragma once

#include "Vector2D.h"
#include "Vector3D.h"

namespace Kavro
{

struct Quaternion;

// 4x4 float matrix for row vectors: a point p maps to p x A x B for A, then B.
// Left-handed, depth 0..1; every angle is in degrees. Default-constructed = identity.
struct Matrix4x4
{
    union
    {
        float m[4][4];
        struct
        {
            float _11, _12, _13, _14;
            float _21, _22, _23, _24;
            float _31, _32, _33, _34;
            float _41, _42, _43, _44;
        };
    };

    Matrix4x4() { Identity(); }
    Matrix4x4(float m11, float m12, float m13, float m14, float m21, float m22, float m23, float m24, float m31,
              float m32, float m33, float m34, float m41, float m42, float m43, float m44);

    bool operator==(const Matrix4x4& o) const;
    Matrix4x4 operator*(const Matrix4x4& o) const;
    Matrix4x4& operator*=(const Matrix4x4& o) { return *this = *this * o; }

    // Builders: each sets this matrix and returns it.
    Matrix4x4& Identity();
    Matrix4x4& Translation(float x, float y, float z);
    Matrix4x4& Scaling(float x, float y, float z);
    Matrix4x4& RotationX(float degrees);
    Matrix4x4& RotationY(float degrees);
    Matrix4x4& RotationZ(float degrees);
    // Rotation about Z, then X, then Y: RotationZ(z) x RotationX(x) x RotationY(y).
    Matrix4x4& RotationZXY(float x, float y, float z);
    Matrix4x4& RotationAxis(float degrees, const Vector3D& axis);
    Matrix4x4& RotationQuaternion(const Quaternion& q);
    Matrix4x4& LookAt(const Vector3D& eye, const Vector3D& target, const Vector3D& up);
    // Vertical field of view in degrees.
    Matrix4x4& Perspective(float fovDegrees, float aspect, float zNear, float zFar);
    Matrix4x4& Ortho(float width, float height, float zNear, float zFar);
    // The projective map of the plane (z passes through) that carries each corner q[i] to q[i] + d[i];
    // the identity when there is no such map (three of either set of corners on one line).
    Matrix4x4& Homographic2D(const Vector2D q[4], const Vector2D d[4]);

    // Static forms of the builders.
    static Matrix4x4 GetTranslation(float x, float y, float z) { return Matrix4x4().Translation(x, y, z); }
    static Matrix4x4 GetScaling(float x, float y, float z) { return Matrix4x4().Scaling(x, y, z); }
    static Matrix4x4 GetRotationX(float degrees) { return Matrix4x4().RotationX(degrees); }
    static Matrix4x4 GetRotationY(float degrees) { return Matrix4x4().RotationY(degrees); }
    static Matrix4x4 GetRotationZ(float degrees) { return Matrix4x4().RotationZ(degrees); }
    static Matrix4x4 GetRotationZXY(float x, float y, float z) { return Matrix4x4().RotationZXY(x, y, z); }
    static Matrix4x4 GetRotationAxis(float degrees, const Vector3D& axis)
    {
        return Matrix4x4().RotationAxis(degrees, axis);
    }

    // The inverse; a singular matrix gives the identity and ok = false.
    Matrix4x4 Inverse(bool* ok = nullptr) const;
    Matrix4x4 Transposed() const;
    // Splits an affine matrix into Scaling(scale) x rotation x Translation(translation). A mirroring matrix
    // gives a negative scale.x so that rotation stays a proper rotation; a zero axis gives a zero scale.
    // Any of the three may be null.
    void Dissolution(Vector3D* scale, Matrix4x4* rotation, Vector3D* translation) const;
    float Determinant() const;
    Vector3D GetPosition() const { return {_41, _42, _43}; }
    Vector3D TransformPoint(const Vector3D& p) const { return p.TransformCoord(*this); }
    Vector3D TransformNormal(const Vector3D& n) const { return n.TransformNormal(*this); }
};

} // namespace Kavro
