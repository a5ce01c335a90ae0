// A layer as an entry of the DXF LAYER table: its name, the frozen and locked flags, its colour
// (negative while the layer is off) and its line type.
#include "model/Layer.h"
#include "interchange/DxfFile.h"
#include "model/ColorIndexTable.h"
#include "model/LineType.h"
#include "model/LineTypeMap.h"
#include "model/ShapeHost.h"
#include "YVEX_h.h"
#include <cstdlib>

namespace {
// Bits of group 70 of a LAYER entry.
const int kFrozen = 1;
const int kFrozenInNewViewports = 2;
const int kLocked = 4;
} // namespace

HRESULT CLayer::WriteDxf(CDxfFile& dxf)
{
    if (m_linePatternId == ltByLayer)
        m_linePatternId = 0;
    if (m_penColor == coByLayer)
        m_penColor = 0;
    dxf.WriteStringGroup(0, CDxfFile::KeywordFromIndex(CDxfFile::kwLayer));
    dxf.WriteTableHandle();
    dxf.WriteStringGroup(2, m_name.empty() ? "0" : m_name.c_str());
    int flags = 0;
    if (m_state & stNotSelectable)
        flags += kFrozen;
    if (!(m_state & stEnabled))
        flags += kLocked;
    dxf.WriteIntGroup(70, flags);
    const int colour = CColorIndexTable::FromRgb(m_penColor);
    dxf.WriteIntGroup(62, (m_state & stVisible) ? colour : -colour);
    const CLineType* lineType = m_control ? m_control->GetLineTypeMap().Find(m_linePatternId) : nullptr;
    const bool named = lineType && lineType->GetName() && *lineType->GetName();
    dxf.WriteStringGroup(6, named ? lineType->GetName() : "CONTINUOUS");
    return 1;
}

HRESULT CLayer::ReadDxf(CDxfFile& dxf)
{
    int flags = 0;
    // 1 once the next group 0 ends the entry; 0 when the data ends first.
    HRESULT result = 0;
    while (dxf.ReadGroup()) {
        const int code = dxf.GetCode();
        if (code == 0) {
            dxf.UngetGroup();
            result = 1;
            break;
        }
        switch (code) {
        case 2:
            m_name = dxf.GetText();
            break;
        case 6:
            SetLinePatternId(m_control ? m_control->GetLineTypeMap().IdFromName(dxf.GetText()) : 0);
            break;
        case 62: {
            const int number = dxf.GetInt();
            if (number < 0)
                SetVisible(false);
            SetPenColor(CColorIndexTable::ToRgb(std::abs(number)));
            SetHatchColor(m_penColor);
            break;
        }
        case 70:
            flags = dxf.GetInt();
            break;
        default:
            break;
        }
    }
    if (flags & (kFrozen | kFrozenInNewViewports))
        SetSelectable(false);
    if (flags & kLocked)
        m_state &= ~static_cast<DWORD>(stEnabled);
    return result;
}

int CLayer::WriteXDataOwn(CDxfFile&) { return 1; }
