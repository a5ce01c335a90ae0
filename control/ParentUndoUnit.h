#pragma once
#include <windows.h>
#include <ole2.h>
#include <ocidl.h>
#include <deque>
#include "com/ComObject.h"
#include "control/UndoRecorderRef.h"

// The unit of a compound operation that the recorder opens: its child units, newest first, and an
// open child parent while a nested operation runs. Undoing it undoes the children from the newest
// to the oldest inside one new parent, whose children become the inverse steps.
class CParentUndoUnit : public ycom::ObjectRoot, public IOleParentUndoUnit, public CUndoRecorderRef
{
public:
    BEGIN_INTERFACE_MAP(CParentUndoUnit)
        INTERFACE_ENTRY(IOleParentUndoUnit)
        INTERFACE_ENTRY2(IOleUndoUnit, IOleParentUndoUnit)
        INTERFACE_ENTRY(IYVEXUndoUnit)
    END_INTERFACE_MAP()

    CParentUndoUnit() = default;
    ~CParentUndoUnit() override;

    STDMETHODIMP QueryInterface(REFIID iid, void** ppv) override = 0;
    STDMETHODIMP_(ULONG) AddRef() override = 0;
    STDMETHODIMP_(ULONG) Release() override = 0;

    // IOleUndoUnit
    STDMETHODIMP Do(IOleUndoManager* manager) override;
    STDMETHODIMP GetDescription(BSTR* description) override;
    STDMETHODIMP GetUnitType(CLSID* clsid, LONG* type) override;
    STDMETHODIMP OnNextAdd() override;
    // IOleParentUndoUnit
    STDMETHODIMP Open(IOleParentUndoUnit* unit) override;
    STDMETHODIMP Close(IOleParentUndoUnit* unit, BOOL commit) override;
    STDMETHODIMP Add(IOleUndoUnit* unit) override;
    STDMETHODIMP FindUnit(IOleUndoUnit* unit) override;
    STDMETHODIMP GetParentState(DWORD* state) override;

    // Whether this is a parent unit: always.
    virtual int IsParentUnit() const { return 1; }

    // The parent that collects the inverse steps while this unit is undone: the opposite kind
    // and direction, made by the recorder; E_NOTIMPL without one.
    HRESULT CreateReverseParent(IOleParentUndoUnit** reverse);

    // Takes a direct child out of the list (a step the host refused): true when it was there.
    bool RemoveChild(IOleUndoUnit* unit);
    size_t GetChildCount() const { return m_children.size(); }
    IOleUndoUnit* GetChild(size_t index) const { return index < m_children.size() ? m_children[index].Get() : nullptr; }
    IOleParentUndoUnit* GetOpenChild() const { return m_openChild.Get(); }

private:
    ycom::ComPtr<IOleParentUndoUnit> m_openChild;
    // Newest first.
    std::deque<ycom::ComPtr<IOleUndoUnit>> m_children;
};

// Whether two interface pointers are one object (compared through IUnknown).
bool IsSameObject(IUnknown* a, IUnknown* b);
