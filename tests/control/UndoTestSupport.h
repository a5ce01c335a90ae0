#pragma once
// What the undo tests share: a unit of their own that logs its steps, a drawing with the fixed
// groups and the control's own undo manager, and factory polylines in it.
#include <gtest/gtest.h>
#include <windows.h>
#include <ole2.h>
#include <ocidl.h>
#include <initializer_list>
#include <set>
#include <string>
#include <vector>
#include "com/ComObject.h"
#include "control/ControlCore.h"
#include "control/ShapeMap.h"
#include "control/UndoManager.h"
#include "control/UndoRecorder.h"
#include "model/Group.h"
#include "model/PointPool.h"
#include "model/Polyline.h"
#include "model/SelectionGroup.h"
#include "YVEX_h.h"

namespace undotest {

// A unit that logs its Do under its name and, undone through a manager, hands it an inverse
// named name + "'" (so that the stacks show what ran). Do answers `result`.
class LoggedUnit : public ycom::ObjectRoot, public IOleUndoUnit
{
public:
    BEGIN_INTERFACE_MAP(LoggedUnit)
        INTERFACE_ENTRY(IOleUndoUnit)
    END_INTERFACE_MAP()

    LoggedUnit(std::wstring unitName, std::vector<std::wstring>* unitLog) : name(std::move(unitName)), log(unitLog) {}

    STDMETHODIMP Do(IOleUndoManager* manager) override;
    STDMETHODIMP GetDescription(BSTR* description) override
    {
        *description = SysAllocString(name.c_str());
        return S_OK;
    }
    STDMETHODIMP GetUnitType(CLSID* clsid, LONG* type) override
    {
        *clsid = CLSID_NULL;
        *type = 0;
        return S_OK;
    }
    STDMETHODIMP OnNextAdd() override
    {
        ++nextAdds;
        return S_OK;
    }

    std::wstring name;
    std::vector<std::wstring>* log;
    HRESULT result = S_OK;
    int nextAdds = 0;
};

using LoggedUnitPtr = ycom::ComPtr<ycom::ComObject<LoggedUnit>>;

inline LoggedUnitPtr NewUnit(const std::wstring& name, std::vector<std::wstring>* log)
{
    return ycom::NewObject<LoggedUnit>(nullptr, name, log);
}

inline STDMETHODIMP LoggedUnit::Do(IOleUndoManager* manager)
{
    if (log)
        log->push_back(name);
    if (manager) {
        LoggedUnitPtr inverse = NewUnit(name + L"'", log);
        manager->Add(inverse.Get());
    }
    return result;
}

// The names of a stack's units, newest first.
inline std::vector<std::wstring> Names(const CUndoManager::Stack& stack)
{
    std::vector<std::wstring> names;
    for (const auto& unit : stack) {
        BSTR text = nullptr;
        unit->GetDescription(&text);
        names.push_back(text ? text : L"");
        SysFreeString(text);
    }
    return names;
}

// A control core whose host refuses the Z-order changes of the shapes in `refused`.
struct HostedCore : CControlCore
{
    bool EventsEnabled() const override { return true; }
    bool FireBringShapeToFront(int id) override { return !refused.count(id); }
    bool FireSendShapeToBack(int id) override { return !refused.count(id); }
    std::set<int> refused;
};

// A drawing with the fixed groups (root, block library, layers, selection) of a control whose
// recorder works into the control's own undo manager, as a new control does. Shape IDs start at 20.
struct DrawingCore
{
    explicit DrawingCore(CControlCore& core) : control(core)
    {
        root = Fixed(BASE_ID);
        control.SetRootId(BASE_ID);
        library = Fixed(LIBRARY_ID);
        layers = Fixed(LAYERS_ID);
        // A control object makes its fixed groups itself; a bare core gets them here.
        selection = static_cast<CSelectionGroup*>(control.GetShapeMap().Lookup(SELECTION_ID));
        if (!selection) {
            selection = new CSelectionGroup(SELECTION_ID, &control);
            control.GetShapeMap().Insert(selection);
        }
        const int first = 19;
        control.GetShapeMap().CreateShape(stDummy, true, true, &first);
        EXPECT_EQ(control.CreateUndoManager(), S_OK);
    }
    CGroup* Fixed(int id)
    {
        if (CShape* existing = control.GetShapeMap().Lookup(id))
            return static_cast<CGroup*>(existing);
        auto* group = new CGroup(id, &control);
        EXPECT_TRUE(control.GetShapeMap().Insert(group));
        return group;
    }
    // A factory polyline (closed on request) with points at the given places, in the parent.
    CPolyline* Polyline(std::initializer_list<CRealPoint> points, CGroup* parent, bool closed = false)
    {
        auto* shape = static_cast<CPolyline*>(control.GetShapeMap().CreateShape(stPolyline, true, true));
        int index = 0;
        for (const CRealPoint& p : points)
            shape->SetPointCoords(3, p.x, p.y, index++);
        if (closed)
            shape->SetFlags(shape->GetFlags() | pfClosed);
        if (parent)
            parent->AddChild(shape, nullptr, 1, false);
        return shape;
    }
    CGroup* Group(CGroup* parent)
    {
        auto* group = static_cast<CGroup*>(control.GetShapeMap().CreateShape(stGroup, true, true));
        parent->AddChild(group, nullptr, 1, false);
        return group;
    }
    CUndoRecorder& Recorder() { return *control.GetUndoRecorder(); }
    CUndoManager& Manager() { return *CUndoManager::FromInterface(Recorder().GetManager()); }
    HRESULT Undo() { return Manager().UndoTo(nullptr); }
    HRESULT Redo() { return Manager().RedoTo(nullptr); }
    // One finished step: what was recorded becomes a unit of its own.
    void EndStep() { Recorder().EndCurrentUnit(true); }

    CControlCore& control;
    CGroup* root;
    CGroup* library;
    CGroup* layers;
    CSelectionGroup* selection;
};

struct HostedCoreHolder
{
    HostedCore hosted;
};

// The drawing of a control core whose host answers the Z-order events.
struct Drawing : HostedCoreHolder, DrawingCore
{
    Drawing() : DrawingCore(hosted) {}
};

// A shape's points as (ID, x, y).
struct PointState
{
    int id;
    float x, y;
    bool operator==(const PointState& o) const { return id == o.id && x == o.x && y == o.y; }
};

inline std::vector<PointState> PointsOf(const CShape* shape)
{
    std::vector<PointState> out;
    for (int i = 0; i < shape->GetPoints().GetCount(); ++i) {
        const CPointRecord* p = shape->GetPoints().GetAt(i);
        out.push_back({p->GetPointId(), p->x, p->y});
    }
    return out;
}

inline void PrintTo(const PointState& p, std::ostream* os) { *os << "#" << p.id << "(" << p.x << "," << p.y << ")"; }

} // namespace undotest
