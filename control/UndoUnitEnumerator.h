#pragma once
#include <windows.h>
#include <ole2.h>
#include <ocidl.h>
#include "com/ComObject.h"
#include "control/UndoManager.h"

// Walks one stack of an undo manager, newest unit first, from a position. It holds the manager,
// so the stack lives as long as the enumerator; it reads the stack as it stands at each call.
class CUndoUnitEnumerator : public ycom::ObjectRoot, public IEnumOleUndoUnits
{
public:
    BEGIN_INTERFACE_MAP(CUndoUnitEnumerator)
        INTERFACE_ENTRY(IEnumOleUndoUnits)
    END_INTERFACE_MAP()

    CUndoUnitEnumerator() = default;

    // Sets the manager, its stack and the start position.
    void Init(IOleUndoManager* manager, const CUndoManager::Stack* stack, size_t position);

    STDMETHODIMP Next(ULONG count, IOleUndoUnit** units, ULONG* fetched) override;
    STDMETHODIMP Skip(ULONG count) override;
    STDMETHODIMP Reset() override;
    STDMETHODIMP Clone(IEnumOleUndoUnits** ppEnum) override;

private:
    ycom::ComPtr<IOleUndoManager> m_manager;
    const CUndoManager::Stack* m_stack = nullptr;
    size_t m_position = 0;
};
