// Blocks of the drawing in the design file: each block a shared cell definition (with a tag set
// of its texts when asked), each placement a shared cell instance naming it.
#include <cmath>
#include "DGNExport.h"
#include "DesignFile.h"
#include "elements/SharedCellElements.h"

namespace {

const double kRadiansPerDegree = 0.017453292519943278;

// Applies the 2-D linear part (rows r0 and r1) and a translation to the instance.
void Place(dgn::ISymRef* instance, double a, double b, double c, double d, double x = 0, double y = 0, double z = 0)
{
    const double m[16] = {a, b, 0, 0, c, d, 0, 0, 0, 0, 1, 0, x, y, z, 1};
    instance->Transform(m);
}

} // namespace

void CDGNExport::SetDesignFile(dgn::CDesignFile* file) { m_designFile.reset(file); }

dgn::ISymRef* CDGNExport::CreateSymRef(CString cellName, double angleDegrees, double scaleX, double scaleY, double x, double y)
{
    dgn::ISymRef* instance = m_designFile ? dgn::ISymRef::Create(m_designFile.get(), 0) : nullptr;
    if (!instance)
        return nullptr;
    instance->GetName()->Set(cellName);
    // Scaled along the cell's own axes first, then turned: each row is a scaled axis turned by
    // the angle, so a turned cell with unequal scales keeps its right angles and its angle.
    const double a = angleDegrees * kRadiansPerDegree;
    Place(instance, std::cos(a) * scaleX, std::sin(a) * scaleX, -std::sin(a) * scaleY, std::cos(a) * scaleY);
    if (m_rotation != 0) {
        const double r = -static_cast<double>(m_rotation);
        Place(instance, std::cos(r), std::sin(r), -std::sin(r), std::cos(r));
    }
    const float z = GetNextZ(0);
    Place(instance, 1, 0, 0, 1, x, y, z);
    instance->Touch();
    return instance;
}

int CDGNExport::CopyBlockTexts(long, IShapePtr shape, CRealRect<float>&, int)
{
    shape = nullptr;
    return TRUE;
}
