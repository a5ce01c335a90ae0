#include "TransformStack.h"

#include "Geometry.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>

namespace dgn {

namespace {

constexpr std::uint32_t kInitialLevels = 32;

// A matrix by value, so that each operation below builds its operand in one expression.
struct Matrix {
    double m[16];
};

Matrix Identity()
{
    Matrix r;
    SetIdentity4x4(r.m);
    return r;
}

Matrix Diagonal(double sx, double sy, double sz)
{
    Matrix r = Identity();
    r.m[0] = sx;
    r.m[5] = sy;
    r.m[10] = sz;
    return r;
}

Matrix Translation(double dx, double dy, double dz)
{
    Matrix r = Identity();
    r.m[12] = dx;
    r.m[13] = dy;
    r.m[14] = dz;
    return r;
}

Matrix Slant(double a1, double a2)
{
    Matrix r = Identity();
    r.m[1] = std::sin(a2);
    r.m[4] = std::sin(a1);
    return r;
}

Matrix Rotation(void (*rotate)(double[16], double), double a)
{
    Matrix r = Identity();
    rotate(r.m, a);
    return r;
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

void CTransformStack::Translate(double dx, double dy, double dz) { PostMultiply(Translation(dx, dy, dz).m); }
void CTransformStack::PreTranslate(double dx, double dy, double dz) { PreMultiply(Translation(dx, dy, dz).m); }
void CTransformStack::Scale(double sx, double sy, double sz) { PostMultiply(Diagonal(sx, sy, sz).m); }
void CTransformStack::PreScale(double sx, double sy, double sz) { PreMultiply(Diagonal(sx, sy, sz).m); }
void CTransformStack::RotateZ(double a) { PostMultiply(Rotation(RotateMatrixZ, a).m); }
void CTransformStack::PreRotateZ(double a) { PreMultiply(Rotation(RotateMatrixZ, a).m); }
void CTransformStack::RotateX(double a) { PostMultiply(Rotation(RotateMatrixX, a).m); }
void CTransformStack::PreRotateX(double a) { PreMultiply(Rotation(RotateMatrixX, a).m); }
void CTransformStack::RotateY(double a) { PostMultiply(Rotation(RotateMatrixY, a).m); }
void CTransformStack::PreRotateY(double a) { PreMultiply(Rotation(RotateMatrixY, a).m); }
void CTransformStack::Skew(double a1, double a2) { PostMultiply(Slant(a1, a2).m); }
void CTransformStack::PreSkew(double a1, double a2) { PreMultiply(Slant(a1, a2).m); }

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
