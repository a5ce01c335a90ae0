#include "model/AttributeCopy.h"
#include "model/AttributeValue.h"
#include "model/Shape.h"
#include "model/ShapeAttributeMap.h"
#include "model/ShapeAttributes.h"

void CopyAttributesFrom(CShape& target, const CShape& source, bool keep)
{
    if (&source == &target)
        return;
    const CShapeAttributes* groups = source.FindAttributeGroups();
    const CShapeAttributeMap* values = source.FindAttributes();
    if (!keep) {
        if (CShapeAttributes* own = target.FindAttributeGroups())
            while (own->GetCount() > 0)
                own->RemoveAt(own->GetCount() - 1);
    }
    if (groups && groups->GetCount() > 0) {
        CShapeAttributes& own = target.GetAttributeGroups();
        for (int i = 0; i < groups->GetCount(); ++i) {
            CAttributeBase* group = groups->GetAt(i);
            bool present = false;
            for (int k = 0; k < own.GetCount() && !present; ++k)
                present = own.GetAt(k) == group;
            if (!present)
                own.Insert(group, -1);
        }
    }
    for (int i = 0; values && i < values->GetCount(); ++i) {
        const auto* value = static_cast<const CAttributeValue*>(values->GetAt(i));
        const CShapeAttributeMap* own = target.FindAttributes();
        if (keep && !(own && own->FindValue(value->GetId())))
            continue;
        target.GetAttributes().Create(value->GetId(), 0, value->GetValue());
    }
    if (CShapeAttributeMap* own = target.FindAttributes())
        own->Resync(false);
}
