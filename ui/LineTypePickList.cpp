#include "ui/LineTypePickList.h"
#include "model/LineTypeMap.h"
#include "YVEX_h.h"

bool CLineTypePickList::Fill(int currentId)
{
    bool added = FillSpecials(currentId);
    if (!m_lineTypes)
        return added;
    for (const auto& entry : m_lineTypes->Entries()) {
        const int id = entry.first;
        if (!m_builtIns && (id == ltSelected || id == ltContinuous))
            continue;
        const char* name = entry.second.GetName();
        if (!name)
            continue;
        added |= AddEntry(id, name, id == currentId) >= 0;
    }
    return added;
}
