#pragma once
// CLineTypePickList: the pick list of a drawing's line types, by name, each entry's ID the line
// type's; "__SELECTED" and "CONTINUOUS" only when asked for.
#include "ui/PickList.h"

class CLineTypeMap;

class CLineTypePickList : public CPickList
{
public:
    explicit CLineTypePickList(const CLineTypeMap* lineTypes = nullptr) : m_lineTypes(lineTypes) {}
    void SetLineTypes(const CLineTypeMap* lineTypes) { m_lineTypes = lineTypes; }
    // The selection mark and the continuous line (the first two IDs) are listed too.
    void SetBuiltInEntries(bool on) { m_builtIns = on; }

    bool Fill(int currentId) override;
    bool CanFill() override { return m_lineTypes != nullptr; }

private:
    const CLineTypeMap* m_lineTypes;
    bool m_builtIns = false;
};
