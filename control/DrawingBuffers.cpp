// The drawing in the control's own format for the host: memory buffers (IDTCio) and files of the
// binary or text archive (IDataIO). They run on the caller's thread, and not beside a long
// operation of the control: while one runs they answer "Operation is in progress.", and while
// they run none starts.
#include "control/ArchiveFiles.h"
#include "control/FileNames.h"
#include "control/YVEXControl.h"
#include "control/SerializationMessages.h"
#include "com/AnsiText.h"
#include "com/Guard.h"
#include "model/Group.h"
#include "persistence/BinaryFileArchive.h"
#include "persistence/DataTableSet.h"
#include "persistence/MemoryBinaryArchive.h"
#include "persistence/TextFileArchive.h"
#include "persistence/UrlSource.h"

#include <cstring>

namespace {

const char kBusy[] = "Operation is in progress.";


void RelayProgress(void* user, long percent) { static_cast<CYVEXControl*>(user)->OnProgress(percent); }

// Holds the operation gate for the life of the object, once it could be closed.
class CGateHold
{
public:
    explicit CGateHold(CControlCore& control) : m_control(control), m_held(control.TryCloseGate()) {}
    ~CGateHold() { Release(); }
    CGateHold(const CGateHold&) = delete;
    CGateHold& operator=(const CGateHold&) = delete;
    bool Held() const { return m_held; }
    void Release()
    {
        if (m_held)
            m_control.OpenGate();
        m_held = false;
    }

private:
    CControlCore& m_control;
    bool m_held;
};

} // namespace

// ---- IDTCio ----

STDMETHODIMP CYVEXControl::SaveDTC(LONG lParam, LONG wParam, LONG_PTR* pYVEXBuffer)
{
    return ycom::Guard(IID_IDTCio, [&]() -> HRESULT {
        if (!pYVEXBuffer)
            return E_INVALIDARG;
        *pYVEXBuffer = 0;
        const DWORD mode = static_cast<DWORD>(lParam);
        CGateHold gate(*this);
        if (!gate.Held())
            return S_FALSE;
        const bool events = EventsEnabled() && !(mode & DXFMODE_QUIET);
        CDataTableSet tables(1);
        if (events) {
            if (!AnnounceBegin(kStageBeginSave, nullptr, 0, srStructures))
                return E_ABORT;
            OnProgress(0);
        }
        auto end = [&](bool result) {
            gate.Release();
            if (events) {
                OnProgress(100);
                AnnounceEnd(kStageEndSave, nullptr, 0, result, srStructures);
            }
        };
        int shapeId = wParam;
        HRESULT hr = E_FAIL;
        try {
            hr = ExchangeDrawingTables(&tables, (mode & ~static_cast<DWORD>(DXFMODE_LOAD)) | DXFMODE_USE_YVEX_IDENTIFIERS,
                                       &shapeId);
            CMemoryBinaryArchive archive;
            if (!tables.WriteToArchive(&archive)) {
                end(false);
                return E_FAIL;
            }
            uint64_t length = archive.GetDataLength();
            if (length == 0)
                length = archive.GetBufferSize();
            // One zero byte more than the data.
            HGLOBAL buffer = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, static_cast<SIZE_T>(length + 1));
            void* bytes = buffer ? GlobalLock(buffer) : nullptr;
            if (!bytes) {
                if (buffer)
                    GlobalFree(buffer);
                end(false);
                return E_FAIL;
            }
            if (length)
                std::memcpy(bytes, archive.GetBuffer(), static_cast<size_t>(length));
            GlobalUnlock(buffer);
            *pYVEXBuffer = reinterpret_cast<LONG_PTR>(buffer);
        } catch (...) {
            end(false);
            throw;
        }
        end(SUCCEEDED(hr));
        return hr;
    });
}

STDMETHODIMP CYVEXControl::LoadDTC(LONG_PTR pYVEXBuffer, LONG lParam, LONG wParam)
{
    return ycom::Guard(IID_IDTCio, [&]() -> HRESULT {
        HGLOBAL buffer = reinterpret_cast<HGLOBAL>(pYVEXBuffer);
        const SIZE_T size = buffer ? GlobalSize(buffer) : 0;
        if (size == 0)
            return E_INVALIDARG;
        CGateHold gate(*this);
        if (!gate.Held())
            return S_FALSE;
        const void* bytes = GlobalLock(buffer);
        if (!bytes)
            return E_INVALIDARG;
        const DWORD mode = static_cast<DWORD>(lParam);
        const bool events = EventsEnabled() && !(mode & DXFMODE_QUIET);
        if (events) {
            if (!AnnounceBegin(kStageBeginLoad, nullptr, 0, srStructures)) {
                GlobalUnlock(buffer);
                return E_ABORT;
            }
            OnProgress(0);
        }
        HRESULT hr = E_FAIL;
        {
            // The archive reads the host's bytes in place and leaves them as they are.
            CMemoryBinaryArchive archive(bytes, size, false);
            CDataTableSet tables(1);
            if (tables.ReadFromArchive(&archive)) {
                // The block to restore into, by ID (0: a new block): a 32-bit value cannot carry
                // the address of a 64-bit caller's variable, so nothing is written back.
                int block = wParam;
                try {
                    hr = ExchangeDrawingTables(&tables, mode | DXFMODE_LOAD, (mode & DXFMODE_BLOCKS) ? &block : nullptr);
                } catch (...) {
                    hr = E_FAIL;
                }
            }
            archive.Detach();
        }
        GlobalUnlock(buffer);
        gate.Release();
        if (events) {
            OnProgress(100);
            AnnounceEnd(kStageEndLoad, nullptr, 0, SUCCEEDED(hr), srStructures);
        }
        return hr;
    });
}

STDMETHODIMP CYVEXControl::ReleaseDTC(LONG_PTR pYVEXBuffer)
{
    return ycom::Guard(IID_IDTCio, [&]() -> HRESULT {
        if (!pYVEXBuffer)
            return S_FALSE;
        GlobalFree(reinterpret_cast<HGLOBAL>(pYVEXBuffer));
        return S_OK;
    });
}

// ---- IDataIO ----

HRESULT CYVEXControl::SerializeDrawing(const char* fileName, DWORD mode, int shapeId)
{
    const bool load = (mode & DXFMODE_LOAD) != 0;
    const bool quiet = (mode & DXFMODE_QUIET) != 0;
    const std::string name = fileName ? fileName : "";
    const int endStage = load ? kStageEndLoad : kStageEndSave;
    CGateHold gate(*this);
    if (!gate.Held())
        return S_FALSE;
    // The end stage goes out only while no long operation runs.
    auto end = [&](HRESULT result) {
        gate.Release();
        if (!quiet && IsIdle()) {
            OnProgress(100);
            AnnounceEnd(endStage, name.c_str(), 0, SUCCEEDED(result), srStructures);
        }
        return result;
    };
    CDataTableSet tables(1);
    SetLastError(E_FAIL, load ? "de-Serializing is not successfull." : "Serializing is not successfull.");
    CUrlSource source;
    source.SetProgressCallback(&RelayProgress, this);
    if (!quiet)
        OnProgress(0);
    if (!source.Open(name.c_str(), load)) {
        if (load)
            SetLastError(E_FAIL, ("Error downloading file " + name).c_str());
        return end(E_FAIL);
    }
    const std::string local = source.GetLocalPath();
    HRESULT result = S_OK;
    try {
        if (!load) {
            SetLastError(0, "Serializing: Error collecting drawing data");
            int chosen = shapeId;
            result = ExchangeDrawingTables(&tables, mode | DXFMODE_USE_YVEX_IDENTIFIERS, &chosen);
            if (SUCCEEDED(result)) {
                if (!quiet)
                    OnProgress(80);
                SetLastError(E_ACCESSDENIED, "Serializing: Error writing file");
                int written = 0;
                if (GetControlFlags() & controlSaveAsBinary) {
                    CBinaryFileArchive archive(local.c_str());
                    written = tables.WriteToArchive(&archive);
                } else {
                    CTextFileArchive archive(local.c_str());
                    written = tables.WriteToArchive(&archive);
                }
                if (!written)
                    result = E_FAIL;
                if (source.HasSource() && !quiet)
                    OnProgress(90);
            }
        } else {
            if (source.HasSource() && !quiet)
                OnProgress(10);
            SetLastError(E_ACCESSDENIED, "Deserializing: Error reading file. Possible unknown format.");
            if (!ReadArchiveFile(tables, local.c_str())) {
                result = E_FAIL;
            } else {
                if (!quiet)
                    OnProgress(20);
                SetLastError(0, "Deserializing: Error restoring drawing");
                // The block to restore into, by ID: see LoadDTC.
                int block = shapeId;
                result = ExchangeDrawingTables(&tables, mode, (mode & DXFMODE_BLOCKS) ? &block : nullptr);
            }
        }
    } catch (...) {
        result = E_FAIL;
    }
    // A failed save leaves a file that must not replace the one at the address.
    if (FAILED(result))
        source.ForgetAddress();
    if (!source.Close()) {
        if (!load)
            SetLastError(GetLastErrorCode(), ("Error uploading file " + name).c_str());
        return end(E_FAIL);
    }
    SetLastError(static_cast<int>(result), GetLastErrorText().c_str());
    if (result == S_OK && !(load && (mode & DXFMODE_BLOCKS))) {
        SetModified(false);
        if (GetSiteRecord().GetName().empty())
            GetSiteRecord().SetName(name);
    }
    return end(result);
}

HRESULT CYVEXControl::LoadBlock(const char* fileName, DWORD mode, int* shapeId)
{
    const bool quiet = (mode & DXFMODE_QUIET) != 0;
    const std::string name = fileName ? fileName : "";
    const int endStage = (mode & DXFMODE_LOAD) ? kStageEndLoad : kStageEndSave;
    CGateHold gate(*this);
    if (!gate.Held())
        return S_FALSE;
    auto end = [&](HRESULT result) {
        gate.Release();
        if (!quiet && IsIdle()) {
            OnProgress(100);
            AnnounceEnd(endStage, name.c_str(), 0, SUCCEEDED(result), srStructures);
        }
        return result;
    };
    if (!quiet)
        OnProgress(0);
    CDataTableSet tables(1);
    CUrlSource source;
    if (!quiet)
        source.SetProgressCallback(&RelayProgress, this);
    if (!source.Open(name.c_str(), true)) {
        SetLastError(E_FAIL, ("Error downloading file " + name).c_str());
        return end(E_FAIL);
    }
    const std::string local = source.GetLocalPath();
    if (shapeId)
        *shapeId = 0;
    if (source.HasSource() && !quiet)
        OnProgress(10);
    const bool read = ReadArchiveFile(tables, local.c_str());
    HRESULT result = E_FAIL;
    int block = 0;
    if (read) {
        if (!quiet)
            OnProgress(20);
        SetLastError(0, "Deserializing: Error restoring block from loaded data");
        try {
            result = ExchangeDrawingTables(&tables, mode | DXFMODE_LOAD | DXFMODE_BLOCKS, &block);
        } catch (...) {
            block = 0;
            result = E_FAIL;
        }
    }
    source.Close();
    if (block != 0) {
        CShape* shape = FindShape(block);
        if (shape && shape->IsGroup()) {
            const std::string base = FileBaseName(name);
            if (!base.empty())
                static_cast<CGroup*>(shape)->SetName(ycom::AnsiToWide(base).c_str());
            if (shapeId)
                *shapeId = block;
        }
    }
    return end(result);
}
