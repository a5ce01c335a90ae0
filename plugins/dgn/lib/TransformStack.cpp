#include "TransformStack.h"

#include "Geometry.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>

namespace dgn {

namespace {

constexpr std::uint32_t kInitialLevels = 32;

void Diagonal(double m[16], double sx, double sy, double sz)
{
    SetIdentity4x4(m);
    m[0] = sx;
    m[5] = sy;
    m[10] = sz;
}

void Translation(double m[16], double dx, double dy, double dz)
{
    SetIdentity4x4(m);
    m[12] = dx;
    m[13] = dy;
    m[14] = dz;
}

void SkewMatrix(double m[16], double a1, double a2)
{
    SetIdentity4x4(m);
    m[1] = std::sin(a2);
    m[4] = std::sin(a1);
}

} // namespace

CTransformStack* CTransformStack::Create()
{
    CTransformStack* stack = new (std::nothrow) CTransformStack;
    if (!stack)
        return nullptr;
    stack->m_matrices = static_cast<double*>(std::malloc(kInitialLevels * 16 * sizeof(double)));
    if (!stack->m_matrices) {
        delete stack;
        return nullptr;
    }
    stack->m_capacity = kInitialLevels;
    SetIdentity4x4(stack->m_matrices);
    return stack;
}

CTransformStack::~CTransformStack() { std::free(m_matrices); }

double* CTransformStack::Push()
{
    if (m_unstored == 0 && m_index + 1 >= m_capacity && m_capacity < 0x08000000u) {
        const std::size_t levels = static_cast<std::size_t>(m_capacity) * 2;
        double* grown = static_cast<double*>(std::realloc(m_matrices, levels * 16 * sizeof(double)));
        if (grown) {
            m_matrices = grown;
            m_capacity = static_cast<std::uint32_t>(levels);
        }
    }
    if (m_unstored || m_index + 1 >= m_capacity) {
        ++m_unstored;
        return Current();
    }
    std::memcpy(Matrix(m_index + 1), Matrix(m_index), 16 * sizeof(double));
    ++m_index;
    return Current();
}

void CTransformStack::Pop()
{
    if (m_unstored)
        --m_unstored;
    else if (m_index > 0)
        --m_index;
}

void CTransformStack::PostMultiply(const double m[16]) { MultiplyMatrix4x4(Current(), m, Current()); }
void CTransformStack::PreMultiply(const double m[16]) { MultiplyMatrix4x4(m, Current(), Current()); }
void CTransformStack::LoadIdentity() { SetIdentity4x4(Current()); }
void CTransformStack::Set(const double m[16]) { std::memmove(Current(), m, 16 * sizeof(double)); }
void CTransformStack::Get(double out[16]) const { std::memmove(out, Matrix(m_index), 16 * sizeof(double)); }
double* CTransformStack::Current() { return Matrix(m_index); }

void CTransformStack::Translate(double dx, double dy, double dz)
{
    double t[16];
    Translation(t, dx, dy, dz);
    PostMultiply(t);
}

void CTransformStack::PreTranslate(double dx, double dy, double dz)
{
    double t[16];
    Translation(t, dx, dy, dz);
    PreMultiply(t);
}

void CTransformStack::Scale(double sx, double sy, double sz)
{
    double s[16];
    Diagonal(s, sx, sy, sz);
    PostMultiply(s);
}

void CTransformStack::PreScale(double sx, double sy, double sz)
{
    double s[16];
    Diagonal(s, sx, sy, sz);
    PreMultiply(s);
}

void CTransformStack::RotateZ(double a) { RotateMatrixZ(Current(), a); }

void CTransformStack::PreRotateZ(double a)
{
    double r[16];
    SetIdentity4x4(r);
    RotateMatrixZ(r, a);
    PreMultiply(r);
}

void CTransformStack::RotateX(double a) { RotateMatrixX(Current(), a); }

void CTransformStack::PreRotateX(double a)
{
    double r[16];
    SetIdentity4x4(r);
    RotateMatrixX(r, a);
    PreMultiply(r);
}

void CTransformStack::RotateY(double a) { RotateMatrixY(Current(), a); }

void CTransformStack::PreRotateY(double a)
{
    double r[16];
    SetIdentity4x4(r);
    RotateMatrixY(r, a);
    PreMultiply(r);
}

void CTransformStack::Skew(double a1, double a2)
{
    double s[16];
    SkewMatrix(s, a1, a2);
    PostMultiply(s);
}

void CTransformStack::PreSkew(double a1, double a2)
{
    double s[16];
    SkewMatrix(s, a1, a2);
    PreMultiply(s);
}

void CTransformStack::TransformPoint3d(Point3d& p) const
{
    if (m_index > 0)
        dgn::TransformPoint3d(Matrix(m_index), p);
}

void CTransformStack::TransformPoint2d(Point2d& p) const
{
    if (m_index > 0)
        dgn::TransformPoint2d(Matrix(m_index), p);
}

} // namespace dgn
