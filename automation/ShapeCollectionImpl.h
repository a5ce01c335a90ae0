#pragma once
// The members of IShapeCollection shared by the shape collection classes (a group's children, the
// whole drawing and the selection): adding shapes through the control's operations by ID, putting
// existing shapes in, deleting and reordering. The selection's collection (T::kSelection) puts
// shapes in and takes them out of the selection without creating or deleting any.
// A member with a body runs it under the guard: return this->Guarded([&]() -> HRESULT { ... });
#include "YVEX_h.h"
#include "automation/ReadOnlyShapeCollectionImpl.h"

template <class T>
class IShapeCollectionImpl : public IReadOnlyShapeCollectionImpl<T, IShapeCollection, &IID_IShapeCollection> {
public:
    STDMETHODIMP AddLine(float X1, float Y1, float x2, float y2, LONG* pShapeID) override
    {
        return this->Guarded([&]() -> HRESULT {
            CGroup* group = ReadyGroup();
            return group ? this->m_control->AddLine(group, X1, Y1, x2, y2, pShapeID) : S_FALSE;
        });
    }
    STDMETHODIMP AddRectangle(float Left, float upper, float Right, float Bottom, LONG* pShapeID) override
    {
        return this->Guarded([&]() -> HRESULT {
            CGroup* group = ReadyGroup();
            return group ? this->m_control->AddRectangle(group, Left, upper, Right, Bottom, pShapeID) : S_FALSE;
        });
    }
    STDMETHODIMP AddPolyline(float X1, float Y1, float x2, float y2, LONG* pShapeID) override
    {
        return this->Guarded([&]() -> HRESULT {
            CGroup* group = ReadyGroup();
            return group ? this->m_control->AddPolyline(group, X1, Y1, x2, y2, pShapeID) : S_FALSE;
        });
    }
    STDMETHODIMP AddPolygon(float X1, float Y1, float x2, float y2, LONG* pShapeID) override
    {
        return this->Guarded([&]() -> HRESULT {
            CGroup* group = ReadyGroup();
            return group ? this->m_control->AddPolygon(group, X1, Y1, x2, y2, pShapeID) : S_FALSE;
        });
    }
    STDMETHODIMP AddArc(float CenterX, float CenterY, float R, float StartAngle, float EndAngle, LONG* pShapeID) override
    {
        return this->Guarded([&]() -> HRESULT {
            CGroup* group = ReadyGroup();
            return group ? this->m_control->AddArc(group, CenterX, CenterY, R, StartAngle, EndAngle, pShapeID) : S_FALSE;
        });
    }
    STDMETHODIMP AddCircle(float CenterX, float CenterY, float R, LONG* pShapeID) override
    {
        return this->Guarded([&]() -> HRESULT {
            CGroup* group = ReadyGroup();
            return group ? this->m_control->AddCircle(group, CenterX, CenterY, R, pShapeID) : S_FALSE;
        });
    }
    STDMETHODIMP AddEllipse(float CenterX, float CenterY, float MajorR, float MinorRatio, float MajorRAngle,
                            float StartAngle, float EndAngle, LONG* pShapeID) override
    {
        return this->Guarded([&]() -> HRESULT {
            CGroup* group = ReadyGroup();
            return group ? this->m_control->AddEllipse(group, CenterX, CenterY, MajorR, MinorRatio, MajorRAngle,
                                                       StartAngle, EndAngle, pShapeID)
                         : S_FALSE;
        });
    }
    STDMETHODIMP AddGroup(LONG ShapeType, LONG* pShapeID) override
    {
        return this->Guarded([&]() -> HRESULT {
            RETURN_IF_NULL_POINTER(pShapeID);
            CGroup* group = ReadyGroup();
            return group ? this->m_control->AddGroup(group, ShapeType, pShapeID) : S_FALSE;
        });
    }
    STDMETHODIMP AddLayer(BSTR LayerName, LONG* pShapeID) override
    {
        // Layers always go under the Layers group, whatever group the collection stands for.
        return this->Guarded([&]() -> HRESULT {
            if (!ReadyGroup())
                return S_FALSE;
            return this->m_control->AddLayer(this->m_control->FindGroup(LAYERS_ID), LayerName, pShapeID);
        });
    }
    STDMETHODIMP AddShape(LONG ShapeID) override
    {
        return this->Guarded([&]() -> HRESULT {
            CGroup* group = T::kSelection ? this->TargetGroup() : ReadyGroup();
            if (!group)
                return S_FALSE;
            CShape* shape = this->m_control->FindShape(ShapeID);
            if (!shape)
                return ReportShapeNotFound();
            if (!T::kSelection) {
                CUndoRecorder* recorder = this->m_control->GetUndoRecorder();
                if (recorder && recorder->ShouldRecordShape(shape))
                    recorder->RecordShape(kUndoRelations, shape, false);
            }
            return group->AddChild(shape, nullptr, 0, true) == 0 ? S_OK : S_FALSE;
        });
    }
    STDMETHODIMP DeleteByID(LONG ShapeID) override
    {
        return this->Guarded([&]() -> HRESULT {
            if (T::kSelection) {
                CGroup* selection = this->TargetGroup();
                const int index = selection ? selection->IndexOfChild(ShapeID) : -1;
                if (index < 0)
                    return S_FALSE;
                return selection->RemoveChildAt(index, false) == 0 ? S_OK : S_FALSE;
            }
            if (!this->m_control || !this->m_control->IsIdle())
                return S_FALSE;
            return this->m_control->DeleteShapeByID(ShapeID, 0, 0);
        });
    }
    STDMETHODIMP Delete(LONG Index) override
    {
        return this->Guarded([&]() -> HRESULT {
            CGroup* group = this->TargetGroup();
            if (!group || (!T::kSelection && !this->m_control->IsIdle()))
                return S_FALSE;
            if (Index < 1 || Index > group->GetShapeCount())
                return ReportComErrorW(CLSID_ShapeCollection, L"Index out of range");
            if (T::kSelection) {
                group->GetChildAt(Index - 1)->SetSelected(false);
                return group->RemoveChildAt(Index - 1, false) == 0 ? S_OK : S_FALSE;
            }
            // Through the control's delete, which takes the shape out of every group and the map.
            return this->m_control->DeleteShapeByID(group->GetChildAt(Index - 1)->GetId(), 0, 0);
        });
    }
    STDMETHODIMP MoveToHead(LONG ShapeID) override
    {
        return this->Guarded([&]() -> HRESULT {
            CGroup* group = ReadyGroup();
            return group && group->MoveChildToHead(ShapeID) > 0 ? S_OK : S_FALSE;
        });
    }
    STDMETHODIMP MoveToTail(LONG ShapeID) override
    {
        return this->Guarded([&]() -> HRESULT {
            CGroup* group = ReadyGroup();
            return group && group->MoveChildToTail(ShapeID) > 0 ? S_OK : S_FALSE;
        });
    }
    STDMETHODIMP BringToFront(LONG ShapeID) override
    {
        return this->Guarded([&]() -> HRESULT {
            CGroup* group = ReadyGroup();
            return group && group->BringChildToFront(ShapeID) > 0 ? S_OK : S_FALSE;
        });
    }
    STDMETHODIMP SendToBack(LONG ShapeID) override
    {
        return this->Guarded([&]() -> HRESULT {
            CGroup* group = ReadyGroup();
            return group && group->SendChildToBack(ShapeID) > 0 ? S_OK : S_FALSE;
        });
    }

    STDMETHODIMP AddImage(BSTR FileName, float X1, float Y1, float Width, float Height, VARIANT_BOOL FixSize,
                          LONG* pShapeID) override
    {
        return this->Guarded([&]() -> HRESULT {
            CGroup* group = ReadyGroup();
            return group ? this->m_control->AddImage(group, FileName, X1, Y1, Width, Height, FixSize != VARIANT_FALSE,
                                                     pShapeID)
                         : S_FALSE;
        });
    }
    STDMETHODIMP AddImageFromDB(LONG resourceDBID, float X1, float Y1, float x2, float y2, VARIANT_BOOL FixSize,
                                LONG* pShapeID) override
    {
        return this->Guarded([&]() -> HRESULT {
            CGroup* group = ReadyGroup();
            return group ? this->m_control->AddImageFromDB(group, resourceDBID, X1, Y1, x2, y2,
                                                           FixSize != VARIANT_FALSE, pShapeID)
                         : S_FALSE;
        });
    }
    STDMETHODIMP AddRTFText(BSTR Text, float X, float Y, float Width, float Height, Alignments Alignment,
                            float RotationAngle, LONG* pShapeID) override
    {
        return this->Guarded([&]() -> HRESULT { return AddText(Text, X, Y, ttRTF, Width, Height, Alignment, RotationAngle, pShapeID); });
    }
    STDMETHODIMP AddPlainText(BSTR Text, float X, float Y, float Width, float Height, Alignments Alignment,
                              float RotationAngle, LONG* pShapeID) override
    {
        return this->Guarded([&]() -> HRESULT { return AddText(Text, X, Y, ttANSI, Width, Height, Alignment, RotationAngle, pShapeID); });
    }
    STDMETHODIMP AddClone(LONG shapeToCopyID, LONG* pCloneID) override
    {
        return this->Guarded([&]() -> HRESULT {
            RETURN_IF_NULL_POINTER(pCloneID);
            CGroup* group = ReadyGroup();
            return group ? this->m_control->AddClone(group, shapeToCopyID, pCloneID) : S_FALSE;
        });
    }
    STDMETHODIMP AddChildrenClones(LONG shapeToCopyID, VARIANT_BOOL bSelect) override
    {
        return this->Guarded([&]() -> HRESULT {
            CGroup* group = ReadyGroup();
            return group ? this->m_control->AddChildrenClones(group, shapeToCopyID, bSelect != VARIANT_FALSE) : S_FALSE;
        });
    }
    STDMETHODIMP AddReference(LONG BlockID, LONG* pNewShapeID, VARIANT_BOOL bUser, float InsX, float InsY) override
    {
        return this->Guarded([&]() -> HRESULT {
            HRESULT refusal = S_OK;
            CGroup* group = ReferenceGroup(&refusal);
            return group ? this->m_control->AddReference(group->GetId(), BlockID, pNewShapeID, bUser != VARIANT_FALSE,
                                                         InsX, InsY)
                         : refusal;
        });
    }
    STDMETHODIMP AddReferenceByName(BSTR BlockName, LONG* pNewShapeID, VARIANT_BOOL bUser, float InsX,
                                    float InsY) override
    {
        return this->Guarded([&]() -> HRESULT {
            HRESULT refusal = S_OK;
            CGroup* group = ReferenceGroup(&refusal);
            return group ? this->m_control->AddReferenceByName(group->GetId(), BlockName, pNewShapeID,
                                                               bUser != VARIANT_FALSE, InsX, InsY)
                         : refusal;
        });
    }

protected:
    // Undo kind of a change of parent (YVEXOperation opRelations).
    static constexpr int kUndoRelations = 8;

    // The target group when the collection may add to it now: attached, with a target group,
    // and no long operation running.
    CGroup* ReadyGroup() const
    {
        CGroup* group = this->TargetGroup();
        return group && this->m_control->IsIdle() ? group : nullptr;
    }
    // The group a reference goes into, or null with the answer instead: S_OK without a group
    // (there is nothing to refuse), S_FALSE while a long operation runs.
    CGroup* ReferenceGroup(HRESULT* refusal) const
    {
        CGroup* group = this->TargetGroup();
        *refusal = group ? S_FALSE : S_OK;
        return group && this->m_control->IsIdle() ? group : nullptr;
    }
    HRESULT AddText(BSTR text, float x, float y, int type, float width, float height, Alignments alignment,
                    float rotation, LONG* shapeId)
    {
        CGroup* group = ReadyGroup();
        return group ? this->m_control->AddText(group, text, x, y, type, width, height, alignment, rotation, 0.0f, shapeId)
                     : S_FALSE;
    }
};
