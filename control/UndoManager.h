#pragma once
#include <windows.h>
#include <ole2.h>
#include <ocidl.h>
#include <deque>
#include <memory>
#include "com/ComObject.h"
#include "com/Dispatch.h"
#include "YVEX_h.h"

class CUndoRecorder;

// The control's own OLE undo manager: an undo and a redo stack of units, newest first, each
// bounded by the queue length, and the open parent unit that collects the units of a compound
// operation. Undoing pushes the inverse units onto the redo stack; redoing pushes onto the undo
// stack without touching the redo stack; any other new unit empties the redo stack.
class CUndoManager : public ycom::ObjectRoot,
                     public IOleUndoManager,
                     public ycom::DispatchImpl<IYVEXOleUndoManagerEx, &IID_IYVEXOleUndoManagerEx>
{
public:
    // Answered only by this class: lets the recorder tell its own manager from a host's.
    static const IID IID_Self;
    using Stack = std::deque<ycom::ComPtr<IOleUndoUnit>>;
    // What the manager is doing: the state decides which stack a new unit joins.
    enum State
    {
        stIdle = 0,
        stUndoing = 1,
        stRedoing = 2,
    };
    static const LONG kDefaultQueueLength = 100;

    BEGIN_INTERFACE_MAP(CUndoManager)
        INTERFACE_ENTRY(IOleUndoManager)
        INTERFACE_ENTRY(IYVEXOleUndoManagerEx)
        INTERFACE_ENTRY2(IDispatch, IYVEXOleUndoManagerEx)
        INTERFACE_ENTRY_IID(IID_Self, IOleUndoManager)
    END_INTERFACE_MAP()

    CUndoManager() = default;
    ~CUndoManager();

    STDMETHODIMP QueryInterface(REFIID iid, void** ppv) override = 0;
    STDMETHODIMP_(ULONG) AddRef() override = 0;
    STDMETHODIMP_(ULONG) Release() override = 0;

    // IOleUndoManager
    STDMETHODIMP Open(IOleParentUndoUnit* unit) override;
    STDMETHODIMP Close(IOleParentUndoUnit* unit, BOOL commit) override;
    STDMETHODIMP Add(IOleUndoUnit* unit) override;
    STDMETHODIMP GetOpenParentState(DWORD* state) override;
    STDMETHODIMP DiscardFrom(IOleUndoUnit* unit) override;
    STDMETHODIMP UndoTo(IOleUndoUnit* unit) override;
    STDMETHODIMP RedoTo(IOleUndoUnit* unit) override;
    STDMETHODIMP EnumUndoable(IEnumOleUndoUnits** ppEnum) override;
    STDMETHODIMP EnumRedoable(IEnumOleUndoUnits** ppEnum) override;
    STDMETHODIMP GetLastUndoDescription(BSTR* description) override;
    STDMETHODIMP GetLastRedoDescription(BSTR* description) override;
    STDMETHODIMP Enable(BOOL enable) override;
    // IYVEXOleUndoManagerEx (also the manager's own two operations)
    STDMETHODIMP get_QueueMaxLength(LONG* pVal) override;
    STDMETHODIMP put_QueueMaxLength(LONG newVal) override;

    // The manager behind an interface pointer when it is one of ours, else null.
    static CUndoManager* FromInterface(IUnknown* unknown);
    // Takes a unit off the top of the stack that it joined last (a step the host refused): true
    // when it stood there.
    bool RemoveTopUnit(IOleUndoUnit* unit);

    // The recorder of the control whose drawing the units change, through its anchor (which goes
    // null with the recorder): while that control is busy (a worker holds the drawing) undo and
    // redo answer S_FALSE ("Operation is in progress.") and leave both stacks as they are.
    void BindRecorder(const std::shared_ptr<CUndoRecorder*>& anchor) { m_recorder = anchor; }

    const Stack& UndoStack() const { return m_undo; }
    const Stack& RedoStack() const { return m_redo; }
    IOleParentUndoUnit* GetOpenParent() const { return m_openParent.Get(); }
    State GetState() const { return m_state; }
    bool IsEnabled() const { return m_enabled; }

private:
    // The stack a unit added now joins.
    Stack& TargetStack() { return m_state == stUndoing ? m_redo : m_undo; }
    void Push(IOleUndoUnit* unit);
    HRESULT Unwind(Stack& stack, IOleUndoUnit* unit, State state);
    HRESULT Enumerate(Stack& stack, IEnumOleUndoUnits** ppEnum);

    LONG m_queueMaxLength = kDefaultQueueLength;
    bool m_enabled = true;
    ycom::ComPtr<IOleParentUndoUnit> m_openParent;
    Stack m_undo;
    Stack m_redo;
    State m_state = stIdle;
    std::shared_ptr<CUndoRecorder*> m_recorder;
};
