#include "kavro/Matrix4x4.h"

#include "Angles.h"
#include "kavro/Quaternion.h"

#include <cmath>
#include <cstring>
#include <utility>

namespace Kavro
{

using detail::toRadians;

Matrix4x4::Matrix4x4(float m11, float m12, float m13, float m14, float m21, float m22, float m23, float m24,
                     float m31, float m32, float m33, float m34, float m41, float m42, float m43, float m44)
{
    const float v[16] = {m11, m12, m13, m14, m21, m22, m23, m24, m31, m32, m33, m34, m41, m42, m43, m44};
    std::memcpy(m, v, sizeof(m));
}

bool Matrix4x4::operator==(const Matrix4x4& o) const
{
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            if (m[r][c] != o.m[r][c])
                return false;
    return true;
}

Matrix4x4 Matrix4x4::operator*(const Matrix4x4& o) const
{
    Matrix4x4 result;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            result.m[r][c] = m[r][0] * o.m[0][c] + m[r][1] * o.m[1][c] + m[r][2] * o.m[2][c] + m[r][3] * o.m[3][c];
    return result;
}

Matrix4x4& Matrix4x4::Identity()
{
    std::memset(m, 0, sizeof(m));
    _11 = _22 = _33 = _44 = 1.0f;
    return *this;
}

Matrix4x4& Matrix4x4::Translation(float x, float y, float z)
{
    Identity();
    _41 = x;
    _42 = y;
    _43 = z;
    return *this;
}

Matrix4x4& Matrix4x4::Scaling(float x, float y, float z)
{
    Identity();
    _11 = x;
    _22 = y;
    _33 = z;
    return *this;
}

Matrix4x4& Matrix4x4::RotationX(float degrees)
{
    const float r = toRadians(degrees), c = std::cos(r), s = std::sin(r);
    Identity();
    _22 = c;
    _23 = s;
    _32 = -s;
    _33 = c;
    return *this;
}

Matrix4x4& Matrix4x4::RotationY(float degrees)
{
    const float r = toRadians(degrees), c = std::cos(r), s = std::sin(r);
    Identity();
    _11 = c;
    _13 = -s;
    _31 = s;
    _33 = c;
    return *this;
}

Matrix4x4& Matrix4x4::RotationZ(float degrees)
{
    const float r = toRadians(degrees), c = std::cos(r), s = std::sin(r);
    Identity();
    _11 = c;
    _12 = s;
    _21 = -s;
    _22 = c;
    return *this;
}

Matrix4x4& Matrix4x4::RotationZXY(float x, float y, float z)
{
    // Closed form of RotationZ(z) x RotationX(x) x RotationY(y).
    const float cx = std::cos(toRadians(x)), sx = std::sin(toRadians(x));
    const float cy = std::cos(toRadians(y)), sy = std::sin(toRadians(y));
    const float cz = std::cos(toRadians(z)), sz = std::sin(toRadians(z));
    Identity();
    _11 = cz * cy + sz * sx * sy;
    _12 = sz * cx;
    _13 = -cz * sy + sz * sx * cy;
    _21 = -sz * cy + cz * sx * sy;
    _22 = cz * cx;
    _23 = sz * sy + cz * sx * cy;
    _31 = cx * sy;
    _32 = -sx;
    _33 = cx * cy;
    return *this;
}

Matrix4x4& Matrix4x4::RotationAxis(float degrees, const Vector3D& axis)
{
    const Vector3D n = axis.GetNormalize();
    const float r = toRadians(degrees), c = std::cos(r), s = std::sin(r), t = 1.0f - c;
    Identity();
    _11 = t * n.x * n.x + c;
    _12 = t * n.x * n.y + s * n.z;
    _13 = t * n.x * n.z - s * n.y;
    _21 = t * n.x * n.y - s * n.z;
    _22 = t * n.y * n.y + c;
    _23 = t * n.y * n.z + s * n.x;
    _31 = t * n.x * n.z + s * n.y;
    _32 = t * n.y * n.z - s * n.x;
    _33 = t * n.z * n.z + c;
    return *this;
}

Matrix4x4& Matrix4x4::RotationQuaternion(const Quaternion& q)
{
    return *this = q.ToMatrix();
}

Matrix4x4& Matrix4x4::LookAt(const Vector3D& eye, const Vector3D& target, const Vector3D& up)
{
    const Vector3D zaxis = (target - eye).GetNormalize();
    const Vector3D xaxis = up.Cross(zaxis).GetNormalize();
    const Vector3D yaxis = zaxis.Cross(xaxis);
    *this = Matrix4x4(xaxis.x, yaxis.x, zaxis.x, 0.0f, xaxis.y, yaxis.y, zaxis.y, 0.0f, xaxis.z, yaxis.z, zaxis.z,
                      0.0f, -xaxis.Dot(eye), -yaxis.Dot(eye), -zaxis.Dot(eye), 1.0f);
    return *this;
}

Matrix4x4& Matrix4x4::Perspective(float fovDegrees, float aspect, float zNear, float zFar)
{
    const float yScale = 1.0f / std::tan(toRadians(fovDegrees) * 0.5f);
    const float xScale = yScale / aspect;
    const float q = zFar / (zFar - zNear);
    *this = Matrix4x4(xScale, 0, 0, 0, 0, yScale, 0, 0, 0, 0, q, 1.0f, 0, 0, -zNear * q, 0);
    return *this;
}

Matrix4x4& Matrix4x4::Ortho(float width, float height, float zNear, float zFar)
{
    *this = Matrix4x4(2.0f / width, 0, 0, 0, 0, 2.0f / height, 0, 0, 0, 0, 1.0f / (zFar - zNear), 0, 0, 0,
                      zNear / (zNear - zFar), 1.0f);
    return *this;
}

namespace
{

// Solves a x = b (8 unknowns) by Gaussian elimination with partial pivoting; false when singular.
bool solve8(double (&a)[8][9], double (&x)[8])
{
    for (int col = 0; col < 8; ++col)
    {
        int pivot = col;
        for (int row = col + 1; row < 8; ++row)
            if (std::fabs(a[row][col]) > std::fabs(a[pivot][col]))
                pivot = row;
        if (std::fabs(a[pivot][col]) < 1e-12)
            return false;
        for (int k = 0; k < 9; ++k)
            std::swap(a[col][k], a[pivot][k]);
        for (int row = 0; row < 8; ++row)
        {
            if (row == col)
                continue;
            const double f = a[row][col] / a[col][col];
            for (int k = col; k < 9; ++k)
                a[row][k] -= f * a[col][k];
        }
    }
    for (int i = 0; i < 8; ++i)
        x[i] = a[i][8] / a[i][i];
    return true;
}

} // namespace

Matrix4x4& Matrix4x4::Homographic2D(const Vector2D q[4], const Vector2D d[4])
{
    // x' = (h0 x + h1 y + h2) / (h6 x + h7 y + 1), y' = (h3 x + h4 y + h5) / (h6 x + h7 y + 1).
    double a[8][9] = {};
    for (int i = 0; i < 4; ++i)
    {
        const double x = q[i].x, y = q[i].y;
        const double u = double(q[i].x) + double(d[i].x), v = double(q[i].y) + double(d[i].y);
        double* rx = a[2 * i];
        double* ry = a[2 * i + 1];
        rx[0] = x, rx[1] = y, rx[2] = 1.0, rx[6] = -u * x, rx[7] = -u * y, rx[8] = u;
        ry[3] = x, ry[4] = y, ry[5] = 1.0, ry[6] = -v * x, ry[7] = -v * y, ry[8] = v;
    }
    double h[8];
    Identity();
    if (!solve8(a, h))
        return *this;
    // Row vectors: column 0 gives x', column 1 y', column 3 the divisor.
    _11 = float(h[0]), _21 = float(h[1]), _41 = float(h[2]);
    _12 = float(h[3]), _22 = float(h[4]), _42 = float(h[5]);
    _14 = float(h[6]), _24 = float(h[7]), _44 = 1.0f;
    return *this;
}

Matrix4x4 Matrix4x4::Transposed() const
{
    Matrix4x4 t;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            t.m[r][c] = m[c][r];
    return t;
}

namespace
{

struct Axis
{
    double v[3];
    double dot(const Axis& o) const { return v[0] * o.v[0] + v[1] * o.v[1] + v[2] * o.v[2]; }
    double length() const { return std::sqrt(dot(*this)); }
    Axis cross(const Axis& o) const
    {
        return {{v[1] * o.v[2] - v[2] * o.v[1], v[2] * o.v[0] - v[0] * o.v[2], v[0] * o.v[1] - v[1] * o.v[0]}};
    }
    Axis scaled(double s) const { return {{v[0] * s, v[1] * s, v[2] * s}}; }
    Axis minus(const Axis& o) const { return {{v[0] - o.v[0], v[1] - o.v[1], v[2] - o.v[2]}}; }
};

constexpr double kTinyLength = 1e-12;

// The part of a orthogonal to the unit vector r, made unit; the first unit axis that leaves something when
// a has nothing left.
Axis orthogonalUnit(const Axis& a, const Axis& r)
{
    const Axis candidates[4] = {a, {{1, 0, 0}}, {{0, 1, 0}}, {{0, 0, 1}}};
    for (const Axis& c : candidates)
    {
        const Axis rest = c.minus(r.scaled(c.dot(r)));
        const double len = rest.length();
        if (len > 1e-6)
            return rest.scaled(1.0 / len);
    }
    return {{0, 1, 0}};
}

} // namespace

void Matrix4x4::Dissolution(Vector3D* scale, Matrix4x4* rotation, Vector3D* translation) const
{
    Axis rows[3];
    double lengths[3];
    for (int r = 0; r < 3; ++r)
    {
        rows[r] = {{m[r][0], m[r][1], m[r][2]}};
        lengths[r] = rows[r].length();
    }
    // Each row is its scale times a row of the rotation; a row of zero length stands in as its own axis.
    Axis unit[3];
    for (int r = 0; r < 3; ++r)
    {
        Axis axis{{0, 0, 0}};
        axis.v[r] = 1.0;
        unit[r] = lengths[r] > kTinyLength ? rows[r].scaled(1.0 / lengths[r]) : axis;
    }
    // Gram-Schmidt keeps the result a rotation when the rows are not quite orthogonal.
    Axis r0 = unit[0];
    const Axis r1 = orthogonalUnit(unit[1], r0);
    Axis r2 = r0.cross(r1);
    double sx = lengths[0];
    if (lengths[2] > kTinyLength && r2.dot(unit[2]) < 0.0)
    {
        sx = -sx;
        r0 = r0.scaled(-1.0);
        r2 = r2.scaled(-1.0);
    }
    if (scale)
        *scale = Vector3D(float(sx), float(lengths[1]), float(lengths[2]));
    if (rotation)
        *rotation = Matrix4x4(float(r0.v[0]), float(r0.v[1]), float(r0.v[2]), 0.0f, float(r1.v[0]), float(r1.v[1]),
                              float(r1.v[2]), 0.0f, float(r2.v[0]), float(r2.v[1]), float(r2.v[2]), 0.0f, 0.0f, 0.0f,
                              0.0f, 1.0f);
    if (translation)
        *translation = Vector3D(_41, _42, _43);
}

namespace
{

// Cofactors of the 4x4 matrix, computed in double for a stable inverse.
void cofactors(const float (&a)[4][4], double (&cof)[4][4])
{
    for (int r = 0; r < 4; ++r)
    {
        for (int c = 0; c < 4; ++c)
        {
            double minor[3][3];
            for (int i = 0, mi = 0; i < 4; ++i)
            {
                if (i == r)
                    continue;
                for (int j = 0, mj = 0; j < 4; ++j)
                {
                    if (j == c)
                        continue;
                    minor[mi][mj++] = a[i][j];
                }
                ++mi;
            }
            const double det = minor[0][0] * (minor[1][1] * minor[2][2] - minor[1][2] * minor[2][1]) -
                               minor[0][1] * (minor[1][0] * minor[2][2] - minor[1][2] * minor[2][0]) +
                               minor[0][2] * (minor[1][0] * minor[2][1] - minor[1][1] * minor[2][0]);
            cof[r][c] = ((r + c) % 2 == 0) ? det : -det;
        }
    }
}

} // namespace

float Matrix4x4::Determinant() const
{
    double cof[4][4];
    cofactors(m, cof);
    double det = 0.0;
    for (int c = 0; c < 4; ++c)
        det += m[0][c] * cof[0][c];
    return static_cast<float>(det);
}

Matrix4x4 Matrix4x4::Inverse(bool* ok) const
{
    double cof[4][4];
    cofactors(m, cof);
    double det = 0.0;
    for (int c = 0; c < 4; ++c)
        det += m[0][c] * cof[0][c];
    if (ok)
        *ok = det != 0.0 && std::isfinite(det);
    Matrix4x4 inv;
    if (det == 0.0 || !std::isfinite(det))
        return inv;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            inv.m[r][c] = static_cast<float>(cof[c][r] / det);
    return inv;
}

} // namespace Kavro
