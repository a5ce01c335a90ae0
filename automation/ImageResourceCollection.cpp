#include "automation/ImageResourceCollection.h"
#include <string>
#include <utility>
#include <vector>
#include "automation/ControlItem.h"
#include "automation/ImageResourceObject.h"
#include "com/ComObject.h"
#include "com/Guard.h"
#include "com/HResult.h"
#include "control/UndoRecorder.h"
#include "control/YVEXControl.h"
#include "interchange/ImageResource.h"
#include "interchange/ImageResourceMap.h"
#include "control/ErrorInfo.h"
#include "persistence/OdbcSession.h"
#include "model/HatchPattern.h"
#include "model/HatchPatternMap.h"
#include "model/Image.h"
#include "model/Shape.h"

namespace {
// Undo kind (YVEXOperation) of what a deletion removes.
constexpr int kUndoDelete = 5;
} // namespace

template <class F>
HRESULT CImageResourceCollection::Guarded(F&& body)
{
    return ycom::Guard(IID_IImageResourceCollection, std::forward<F>(body));
}

HRESULT CImageResourceCollection::Build()
{
    m_items.clear();
    if (!m_yvex)
        return S_OK;
    for (const auto& entry : m_yvex->GetImageResourceMap().Resources())
        RETURN_IF_FAILED(AppendItemObject<CImageResourceObject>(m_items, m_yvex, entry.first));
    return S_OK;
}

HRESULT CImageResourceCollection::Find(int resourceId, IImageResource** out)
{
    RETURN_IF_NULL_POINTER(out);
    *out = nullptr;
    if (!m_yvex || !m_yvex->GetImageResourceMap().Lookup(resourceId))
        return S_FALSE;
    HRESULT hr = S_OK;
    auto object = ycom::NewObject<CImageResourceObject>(&hr);
    if (!object)
        return hr;
    object->Attach(m_yvex, resourceId);
    return object->QueryInterface(IID_IImageResource, reinterpret_cast<void**>(out));
}

// _IReadOnlyCollection
STDMETHODIMP CImageResourceCollection::_Init(LONG_PTR lYVEXControl, LONG_PTR, LONG_PTR)
{
    return Guarded([&]() -> HRESULT {
        CYVEXControl* control = nullptr;
        RETURN_IF_FAILED(CYVEXControl::ResolveHandle(lYVEXControl, &control));
        Clear();
        m_yvex = control;
        if (control)
            Attach(static_cast<IYVEXControl*>(control), lYVEXControl, 0);
        return Build();
    });
}

// IImageResourceCollection
STDMETHODIMP CImageResourceCollection::get_Item(LONG Index, IImageResource** pVal)
{
    return Guarded([&]() -> HRESULT { return PreparedItemAt(m_items, Index, IID_IImageResource, pVal); });
}
STDMETHODIMP CImageResourceCollection::get_ItemByID(LONG ID, IImageResource** pVal)
{
    return Guarded([&]() -> HRESULT { return Find(ID, pVal); });
}
STDMETHODIMP CImageResourceCollection::get_ItemByDBID(LONG DatabaseID, IImageResource** pVal)
{
    return Guarded([&]() -> HRESULT {
        CImageResource* resource = m_yvex ? m_yvex->GetImageResourceMap().FindByObjectId(DatabaseID) : nullptr;
        return Find(resource ? resource->GetId() : 0, pVal);
    });
}
STDMETHODIMP CImageResourceCollection::Load(LONG SiteID)
{
    // The pictures of a site's images and patterns, on a connection of the collection's own.
    return Guarded([&]() -> HRESULT {
        if (!m_yvex)
            return E_FAIL;
        COdbcSession session;
        RETURN_IF_FAILED(m_yvex->ConnectOwnSession(session));
        const HRESULT loaded = m_yvex->GetImageResourceMap().LoadAll(session, SiteID);
        session.Disconnect();
        RETURN_IF_FAILED(Build());
        if (FAILED(loaded))
            return ReportComErrorW(CLSID_YVEXControl, L"Resource not found.");
        return S_OK;
    });
}
STDMETHODIMP CImageResourceCollection::LoadResource(LONG resourceDBID, IImageResource** pVal)
{
    // A picture of the drawing stored under that ID is refreshed in place when its row changed.
    return Guarded([&]() -> HRESULT {
        RETURN_IF_NULL_POINTER(pVal);
        *pVal = nullptr;
        if (!m_yvex)
            return E_FAIL;
        CImageResource* resource = m_yvex->GetImageResourceMap().FindByObjectId(resourceDBID);
        const HRESULT loaded = m_yvex->LoadImageResourceFromDB(resourceDBID, &resource);
        RETURN_IF_FAILED(loaded);
        if (loaded == S_FALSE || !resource)
            return S_FALSE;
        RETURN_IF_FAILED(Build());
        return Find(resource->GetId(), pVal);
    });
}
STDMETHODIMP CImageResourceCollection::LoadResourceFromFile(BSTR FileName, IImageResource** pVal)
{
    return Guarded([&]() -> HRESULT {
        if (!pVal)
            return E_INVALIDARG;
        *pVal = nullptr;
        if (!m_yvex)
            return E_FAIL;
        CImageResource* resource = m_yvex->GetImageResourceMap().LoadFromFile(
            FileName ? std::wstring(FileName, SysStringLen(FileName)) : std::wstring(), 0.1f, 0);
        if (!resource)
            return E_POINTER;
        m_yvex->SetModified();
        RETURN_IF_FAILED(Find(resource->GetId(), pVal));
        return Build();
    });
}
STDMETHODIMP CImageResourceCollection::DeleteByID(LONG resourceID)
{
    return Guarded([&]() -> HRESULT { return DeleteByIDExt(resourceID, VARIANT_FALSE); });
}
STDMETHODIMP CImageResourceCollection::Delete(LONG Index)
{
    return Guarded([&]() -> HRESULT { return DeleteExt(Index, VARIANT_FALSE); });
}
STDMETHODIMP CImageResourceCollection::DeleteByIDExt(LONG resourceID, VARIANT_BOOL bDeleteDependentObjects)
{
    // What uses the resource is found before anything changes: without the flag a user refuses
    // the deletion with everything as it was; with it the users go in the same undo operation.
    return Guarded([&]() -> HRESULT {
        if (!m_yvex)
            return E_FAIL;
        CImageResourceMap& resources = m_yvex->GetImageResourceMap();
        CImageResource* resource = resources.Lookup(resourceID);
        if (!resource)
            return S_FALSE;
        CHatchPatternMap& patterns = m_yvex->GetHatchPatternMap();
        std::vector<int> patternIds, shapeIds;
        for (const auto& entry : patterns.Patterns())
            if (entry.second->GetImageResourceId() == resourceID)
                patternIds.push_back(entry.first);
        for (const auto& entry : m_yvex->GetShapeMap().Shapes())
            if (entry.second->GetShapeType() == stImage &&
                static_cast<CImage*>(entry.second)->GetImageResourceId() == resourceID)
                shapeIds.push_back(entry.first);
        if (!bDeleteDependentObjects && (!patternIds.empty() || !shapeIds.empty()))
            return E_FAIL;
        // Every image that goes must be able to go: one the control would keep (protected
        // against deletion, a read-only site, a long operation running) refuses the whole
        // deletion before anything changes.
        if (!shapeIds.empty() && (!m_yvex->IsIdle() || !m_yvex->AcceptsEdits()))
            return E_FAIL;
        for (int id : shapeIds) {
            CShape* image = m_yvex->FindShape(id);
            if (!image || (image->GetProtectionFlags() & sdbfDeletion))
                return E_FAIL;
        }
        CUndoRecorder* recorder = m_yvex->GetUndoRecorder();
        const bool opened = recorder && recorder->OpenOperation(kUndoDelete) == S_OK;
        // The images first: should one stay after all, the patterns and the resource stay with
        // it, and what went is kept as one undoable step.
        size_t gone = 0;
        for (int id : shapeIds) {
            m_yvex->DeleteShapeByID(id, 0, 0);
            if (!m_yvex->FindShape(id))
                ++gone;
        }
        const bool imagesGone = gone == shapeIds.size();
        bool removed = false;
        if (imagesGone) {
            for (int id : patternIds) {
                if (recorder)
                    recorder->RecordHatchPattern(kUndoDelete, patterns.Find(id), false);
                patterns.Remove(id, false);
            }
            if (recorder)
                recorder->RecordImageResource(kUndoDelete, resource, false);
            removed = resources.Remove(resourceID) == 1;
        }
        const bool changed = removed || gone != 0;
        if (opened)
            recorder->CloseOperation(changed);
        if (changed)
            m_yvex->SetModified();
        RETURN_IF_FAILED(Build());
        return removed ? S_OK : E_FAIL;
    });
}
STDMETHODIMP CImageResourceCollection::DeleteExt(LONG Index, VARIANT_BOOL bDeleteDependentObjects)
{
    return Guarded([&]() -> HRESULT {
        if (Index < 1 || static_cast<size_t>(Index) > m_items.size())
            return E_INVALIDARG;
        const VARIANT& item = m_items[Index - 1].Ref();
        if (item.vt != VT_DISPATCH || !item.pdispVal)
            return E_INVALIDARG;
        const int id = static_cast<CImageResourceObject*>(static_cast<IImageResource*>(item.pdispVal))->GetResourceId();
        return DeleteByIDExt(id, bDeleteDependentObjects);
    });
}
STDMETHODIMP CImageResourceCollection::LoadResourceFromHandle(LONG_PTR Handle, IImageResource** pVal)
{
    // A picture present already answers S_OK without an object.
    return Guarded([&]() -> HRESULT {
        if (!pVal)
            return E_INVALIDARG;
        *pVal = nullptr;
        if (!m_yvex)
            return E_FAIL;
        CImageResource* resource = nullptr;
        const HRESULT hr = m_yvex->GetImageResourceMap().LoadResourceFromHandle(
            reinterpret_cast<HGDIOBJ>(Handle), &resource);
        if (hr != S_OK || !resource)
            return hr;
        m_yvex->SetModified();
        RETURN_IF_FAILED(Build());
        return Find(resource->GetId(), pVal);
    });
}
