#pragma once
// A stack of 4x4 matrices through which elements and fonts place nested geometry: a push
// copies the current matrix one level up, a pop returns to the level below. The stack grows
// as deep as callers push, so every push is matched by its pop (a fixed depth that ignored a
// push but still honoured its pop would leave the caller a level too low). Points pass
// unchanged at the base level.
#include "GeometryTypes.h"

#include <cstdint>

namespace dgn {

class CTransformStack {
public:
    // A stack holding the identity at level 0; null when memory runs out.
    static CTransformStack* Create();
    virtual ~CTransformStack();

    // Copies the current matrix to the next level and makes it current; returns it. When no
    // room can be made the current matrix stays, and the matching pop leaves it too.
    virtual double* Push();
    // Back one level; ignored at level 0.
    virtual void Pop();
    // current = current * m.
    virtual void PostMultiply(const double m[16]);
    // current = m * current.
    virtual void PreMultiply(const double m[16]);
    virtual void LoadIdentity();
    virtual void Set(const double m[16]);
    virtual void Get(double out[16]) const;
    virtual double* Current();
    virtual void Translate(double dx, double dy, double dz);
    virtual void PreTranslate(double dx, double dy, double dz);
    virtual void Scale(double sx, double sy, double sz);
    virtual void PreScale(double sx, double sy, double sz);
    virtual void RotateZ(double a);
    virtual void PreRotateZ(double a);
    virtual void RotateX(double a);
    virtual void PreRotateX(double a);
    virtual void RotateY(double a);
    virtual void PreRotateY(double a);
    // Rows (1, sin a2, 0, 0), (sin a1, 1, 0, 0), (0, 0, 1, 0), (0, 0, 0, 1): slanted text.
    virtual void Skew(double a1, double a2);
    virtual void PreSkew(double a1, double a2);
    // Through the current matrix above level 0; unchanged at level 0.
    virtual void TransformPoint3d(Point3d& p) const;
    virtual void TransformPoint2d(Point2d& p) const;

    // The current level (0 at the base).
    std::uint32_t Level() const { return m_index + m_unstored; }

    CTransformStack(const CTransformStack&) = delete;
    CTransformStack& operator=(const CTransformStack&) = delete;

private:
    CTransformStack() = default;
    double* Matrix(std::uint32_t i) const { return m_matrices + 16 * static_cast<std::size_t>(i); }

    double* m_matrices = nullptr;
    std::uint32_t m_capacity = 0;
    std::uint32_t m_index = 0;
    // Pushes that found no room: each keeps the current matrix and is undone by its pop.
    std::uint32_t m_unstored = 0;
};

} // namespace dgn
