// The control's side of every DXF transfer: the launcher behind IDXFOperations, IPersistFile and
// the persistence stream, which admits one long operation at a time (the gate the site's database
// operations share), announces it to the host and runs its body on the caller's thread or on a
// worker; the bodies that point the DXF document at the parts of the drawing, fill or apply the
// drawing header, read or write, and finish (block naming, shift to the origin, draw order).
// A file that holds no DXF falls back to the control's own archives.
#include "control/ArchiveFiles.h"
#include "control/FileNames.h"
#include "control/ControlCore.h"
#include "control/ShapeMap.h"
#include "control/UndoRecorder.h"
#include "control/ViewportList.h"
#include "interchange/DxfDocument.h"
#include "interchange/ImageResourceMap.h"
#include "model/ColorIndexTable.h"
#include "model/Group.h"
#include "model/Image.h"
#include "model/Layer.h"
#include "model/LineType.h"
#include "model/LineTypeMap.h"
#include "model/Shape.h"
#include "model/Text.h"
#include "persistence/DataTableSet.h"
#include "persistence/DrawingSettingMap.h"
#include "persistence/DrawingSettingRecord.h"
#include "control/ErrorInfo.h"
#include "com/AnsiText.h"
#include "com/MessageBoxHook.h"
#include "com/Owners.h"
#include "YVEX_h.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

namespace {

const char kBusy[] = "Operation is in progress.";
const char kLoadedBlock[] = "LoadedBlock";
// The persistence state of a control whose drawing goes to or comes from a file.
const int kFileState = 4;


// The bits of the control's flags that tell the LAYER table reader how to take a file's layers
// whose names the drawing has: set from a load's mode, and given back however the load ends.
class CLayerModeFlags
{
public:
    CLayerModeFlags(DWORD& flags, DWORD mode) : m_flags(flags), m_saved(flags & kBits)
    {
        DWORD during = flags & ~kBits;
        if (mode & DXFMODE_NOT_MERGE_LAYERS)
            during |= controlDontMergeLayers;
        if (!(mode & DXFMODE_DO_NOT_OVERWRITE_LAYERS))
            during |= controlDontOverwriteLayers;
        m_flags = during;
    }
    ~CLayerModeFlags() { Restore(); }
    CLayerModeFlags(const CLayerModeFlags&) = delete;
    CLayerModeFlags& operator=(const CLayerModeFlags&) = delete;
    void Restore() { m_flags = (m_flags & ~kBits) | m_saved; }

private:
    static constexpr DWORD kBits = controlDontMergeLayers | controlDontOverwriteLayers;
    DWORD& m_flags;
    DWORD m_saved;
};

// Suspends undo recording for the life of the object.
class CUndoSuspension
{
public:
    explicit CUndoSuspension(CUndoRecorder* recorder) : m_recorder(recorder)
    {
        if (m_recorder)
            m_recorder->Suspend();
    }
    ~CUndoSuspension()
    {
        if (m_recorder)
            m_recorder->Resume();
    }
    CUndoSuspension(const CUndoSuspension&) = delete;
    CUndoSuspension& operator=(const CUndoSuspension&) = delete;

private:
    CUndoRecorder* m_recorder;
};

// The groups of the drawing as parts of a DXF document.
class CBlocksPart : public CDxfDocumentPart
{
public:
    explicit CBlocksPart(CGroup* library) : m_library(library) {}
    bool WriteDxfPart(CDxfFile& dxf) override { return SUCCEEDED(m_library->WriteDxf(dxf)); }
    int ReadDxfPart(CDxfFile& dxf) override { return m_library->ReadDxfBlocksSection(dxf); }

private:
    CGroup* m_library;
};

class CRootPart : public CDxfRootPart
{
public:
    CRootPart(CGroup* root, CShapeHost* host) : m_root(root), m_host(host) {}
    bool WriteDxfPart(CDxfFile& dxf) override { return SUCCEEDED(m_root->WriteDxf(dxf)); }
    int ReadDxfPart(CDxfFile& dxf) override { return m_root->ReadDxfEntitiesSection(dxf); }
    std::string GetDefaultFontName() const override { return m_host->GetDefaultFontName(); }
    void SetDefaultFontName(const char* name) override
    {
        // The default font is the face of the text prototype.
        if (auto* text = dynamic_cast<CText*>(m_host->GetDefaultShape(stText)))
            text->SetFontNameA(name);
    }

private:
    CGroup* m_root;
    CShapeHost* m_host;
};

class CLayersPart : public CDxfDocumentPart
{
public:
    explicit CLayersPart(CGroup* layers) : m_layers(layers) {}
    bool WriteDxfPart(CDxfFile& dxf) override
    {
        const std::vector<CShape*> children = m_layers->Children();
        for (CShape* child : children)
            if (child->GetShapeType() == stLayer)
                child->WriteDxf(dxf);
        return true;
    }
    int ReadDxfPart(CDxfFile& dxf) override { return m_layers->ReadDxfLayerTable(dxf); }

private:
    CGroup* m_layers;
};

class CLineTypesPart : public CDxfDocumentPart
{
public:
    explicit CLineTypesPart(CLineTypeMap& map) : m_map(map) {}
    bool WriteDxfPart(CDxfFile& dxf) override { return m_map.WriteDxfTable(dxf) != 0; }
    int ReadDxfPart(CDxfFile& dxf) override { return m_map.ReadDxfTable(dxf); }

private:
    CLineTypeMap& m_map;
};

class CViewportsPart : public CDxfDocumentPart
{
public:
    explicit CViewportsPart(CViewportList& list) : m_list(list) {}
    bool WriteDxfPart(CDxfFile& dxf) override { return m_list.WriteDxfTable(dxf); }
    int ReadDxfPart(CDxfFile& dxf) override { return m_list.ReadDxfTable(dxf) ? 1 : 0; }

private:
    CViewportList& m_list;
};

void ReportFileProgress(void* user, long percent) { static_cast<CControlCore*>(user)->OnProgress(percent); }

// A file's progress reaches the host at most every 64 kB read (and every 1 % of a larger file):
// a report each percent made a hundred events of a small drawing that loads in a millisecond.
constexpr uint64_t kFileProgressMinimumStep = 64 * 1024;

} // namespace

// The parts of one transfer, made by its preparation and living as long as its body.
struct CControlCore::DxfParts
{
    std::unique_ptr<CBlocksPart> blocks;
    std::unique_ptr<CRootPart> root;
    std::unique_ptr<CLayersPart> layers;
    std::unique_ptr<CLineTypesPart> lineTypes;
    std::unique_ptr<CViewportsPart> viewports;
};

// What a worker takes with it: its own copy of the request (and its own reference on a stream).
struct CControlCore::TransferRequest
{
    CControlCore* control = nullptr;
    ycom::ComPtr<IStream> stream;
    std::string fileName;
    DWORD mode = 0;
    int shapeId = 0;
};

// ---- entries ----------------------------------------------------------------------------------

HRESULT CControlCore::StartDxfSave(const char* fileName, DWORD mode, int shapeId)
{
    if (!IsIdle()) {
        SetLastError(1, kBusy);
        return S_FALSE;
    }
    SetLastError(0, "");
    mode = (mode & ~static_cast<DWORD>(DXFMODE_LOAD)) | DXFMODE_USE_YVEX_IDENTIFIERS;
    const HRESULT converted = ConvertVisibleImages();
    if (FAILED(converted))
        return converted;
    if (shapeId > -8)
        mode |= DXFMODE_BLOCKS;
    else
        shapeId = 0;
    const HRESULT hr = StartTransferOperation(nullptr, fileName, mode, shapeId);
    return FAILED(hr) ? E_FAIL : hr;
}

HRESULT CControlCore::StartDxfLoad(const char* fileName, DWORD mode)
{
    if (!IsIdle()) {
        SetLastError(1, kBusy);
        return S_FALSE;
    }
    const HRESULT hr = StartTransferOperation(nullptr, fileName, mode | DXFMODE_LOAD, 0);
    return FAILED(hr) ? E_FAIL : hr;
}

// The persistence stream is the container's: its content must be complete when the container's
// call returns, so these run on the caller's thread. A container takes any success code as "saved"
// (or "loaded") and forgets that the drawing changed, so a transfer that did not run answers a
// failure here, not the launcher's S_FALSE: E_PENDING while another long operation holds the
// control, E_ABORT when the host vetoed it.
HRESULT CControlCore::LoadDrawingFromStream(IStream* stream)
{
    return StreamTransferResult(
        StartTransferOperation(stream, nullptr, DXFMODE_LOAD | DXFMODE_STREAM | DXFMODE_FOREGROUND, 0));
}

HRESULT CControlCore::SaveDrawingToStream(IStream* stream)
{
    return StreamTransferResult(StartTransferOperation(stream, nullptr, DXFMODE_STREAM | DXFMODE_FOREGROUND, 0));
}

HRESULT CControlCore::StreamTransferResult(HRESULT launched)
{
    if (launched != S_FALSE)
        return launched;
    // The launcher's refusal of a busy control leaves its text; a veto leaves none.
    if (GetLastErrorCode() == 1 && GetLastErrorText() == kBusy)
        return AnswerBusy();
    return ReportComErrorW(CLSID_YVEXControl, L"The host cancelled the transfer.", E_ABORT);
}

HRESULT CControlCore::AnswerBusy()
{
    SetLastError(1, kBusy);
    return ReportComErrorW(CLSID_YVEXControl, ycom::AnsiToWide(kBusy).c_str(), E_PENDING);
}

HRESULT CControlCore::FailTransfer(const std::string& text)
{
    SetLastError(1, text.c_str());
    return ReportComErrorW(CLSID_YVEXControl, ycom::AnsiToWide(text.c_str()).c_str(), E_FAIL);
}

HRESULT CControlCore::StartTransferOperation(IStream* stream, const char* fileName, DWORD mode, int shapeId)
{
    // One atomic step: of two quick starts only one passes.
    if (!TryCloseGate())
        return S_FALSE;
    SetLastError(0, "");
    const bool load = (mode & DXFMODE_LOAD) != 0;
    const bool streaming = (mode & DXFMODE_STREAM) != 0;
    if (streaming) {
        if (!stream) {
            OpenGate();
            return E_INVALIDARG;
        }
        // An empty stream has no drawing to load; a save writes whatever the size.
        if (load) {
            STATSTG stat = {};
            if (FAILED(stream->Stat(&stat, STATFLAG_NONAME)) || stat.cbSize.QuadPart == 0) {
                OpenGate();
                return S_OK;
            }
        }
    }
    auto request = std::make_unique<TransferRequest>();
    request->control = this;
    request->fileName = fileName ? fileName : "";
    request->mode = mode;
    request->shapeId = shapeId;
    const bool foreground = (mode & DXFMODE_FOREGROUND) != 0;
    if (streaming) {
        if (foreground) {
            request->stream = stream;
        } else if (FAILED(stream->Clone(request->stream.Put())) || !request->stream) {
            OpenGate();
            return E_FAIL;
        }
    }

    const LONG storage = streaming ? srStream : srFile;
    // A quiet transfer tells the host nothing: no stages, no progress, no message boxes; what
    // went wrong stays in LastError and LastErrorMessage.
    const bool quiet = (mode & DXFMODE_QUIET) != 0;
    if (!quiet && !AnnounceBegin(load ? kStageBeginLoad : kStageBeginSave, fileName, 0, storage)) {
        OpenGate();
        return S_FALSE;
    }
    if (foreground)
        return RunTransferBody(*request);

    TransferRequest* argument = request.get();
    HANDLE thread = CreateThread(nullptr, 0, &CControlCore::TransferWorker, argument, CREATE_SUSPENDED, nullptr);
    if (!thread) {
        OpenGate();
        if (!quiet)
            AnnounceEnd(load ? kStageEndLoad : kStageEndSave, fileName, 0, false, storage);
        return E_FAIL;
    }
    request.release();
    {
        std::lock_guard<std::mutex> lock(m_workerLock);
        m_workerThreads.push_back(thread);
    }
    ResumeThread(thread);
    return S_OK;
}

DWORD WINAPI CControlCore::TransferWorker(void* argument)
{
    std::unique_ptr<TransferRequest> request(static_cast<TransferRequest*>(argument));
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    HRESULT result = E_FAIL;
    try {
        result = request->control->RunTransferBody(*request);
    } catch (...) {
        // Nothing may leave the thread; the gate is given back so the control is usable again.
        request->control->OpenGate();
        result = E_FAIL;
    }
    request->stream = nullptr;
    CoUninitialize();
    return static_cast<DWORD>(result);
}

HRESULT CControlCore::RunTransferBody(const TransferRequest& request)
{
    const bool load = (request.mode & DXFMODE_LOAD) != 0;
    HRESULT stopped = E_UNEXPECTED;
    const char* text = "The transfer stopped on an unexpected error.";
    try {
        if (request.mode & DXFMODE_STREAM)
            return load ? LoadDrawingStream(request.stream.Get(), request.mode)
                        : SaveDrawingStream(request.stream.Get(), request.mode, request.shapeId);
        if (load && !request.fileName.empty())
            return LoadDrawingFile(request.fileName.c_str(), request.mode);
        return SaveDrawingFile(request.fileName.c_str(), request.mode, request.shapeId);
    } catch (const std::bad_alloc&) {
        stopped = E_OUTOFMEMORY;
        text = "Not enough memory to finish the transfer.";
    } catch (...) {
    }
    AbandonTransfer(request, stopped, text);
    return stopped;
}

// A body stopped by an exception, on the caller's thread or a worker's: the document lets go of
// the drawing's parts and its file, a block made for the transfer goes (a saved shape goes back),
// a load that was replacing the drawing leaves it empty rather than half read, the gate opens and
// the host hears of the end. Each step may fail again for want of memory: the next still runs.
void CControlCore::AbandonTransfer(const TransferRequest& request, HRESULT result, const char* text) noexcept
{
    const bool load = (request.mode & DXFMODE_LOAD) != 0;
    const bool streaming = (request.mode & DXFMODE_STREAM) != 0;
    CDxfDocument& doc = GetDxfDocument();
    try {
        doc.GetFile().Close();
    } catch (...) {
    }
    try {
        FinishDxfTransfer(false, request.fileName.c_str());
    } catch (...) {
        doc.SetMode(0);
        doc.SetParts(CDxfDocument::Parts());
        doc.GetFile().SetProgressCallback(nullptr, nullptr);
    }
    if (load && !(request.mode & (DXFMODE_APPEND | DXFMODE_BLOCKS))) {
        try {
            ClearSite();
        } catch (...) {
        }
    }
    try {
        SetLastError(static_cast<int>(result), text);
    } catch (...) {
    }
    OpenGate();
    if (streaming || (request.mode & DXFMODE_QUIET))
        return;
    try {
        OnProgress(100);
        AnnounceEnd(load ? kStageEndLoad : kStageEndSave, request.fileName.c_str(), 0, false, srFile);
    } catch (...) {
    }
}

// ---- preparing and finishing ------------------------------------------------------------------

void CControlCore::PrepareDxfTransfer(DWORD mode, int shapeId, DxfParts& parts)
{
    CDxfDocument& doc = GetDxfDocument();
    doc.SetMode(mode);
    const bool blocks = (mode & DXFMODE_BLOCKS) != 0;
    const bool load = (mode & DXFMODE_LOAD) != 0;
    CDxfDocument::Parts refs;
    m_loadedBlockId = 0;
    m_blockShapeParentId = 0;
    if (!(blocks && load)) {
        refs.header = &m_siteRecord;
        // A file without a HEADER section leaves no extents of its own.
        if (load)
            m_siteRecord.extentsRead = false;
        parts.viewports = std::make_unique<CViewportsPart>(*m_viewports);
        refs.viewports = parts.viewports.get();
    }
    CGroup* library = GetLibraryGroup();
    CGroup* root = nullptr;
    bool libraryTakes = true;
    if (!blocks) {
        root = m_rootGroup;
    } else {
        CUndoSuspension suspended(m_undoRecorder.get());
        CShape* shape = load ? nullptr : FindShape(shapeId);
        const int type = shape ? shape->GetShapeType() : 0;
        if (shape && (type == stGroup || type == stReference)) {
            // A group or reference of the drawing is written as it is; a block of the library
            // travels in the BLOCKS section.
            if (shape->GetParent() != library)
                root = static_cast<CGroup*>(shape);
        } else if (load || shape) {
            CShape* made = m_shapeMap->CreateShape(stGroup, true, true);
            if (made) {
                auto* group = static_cast<CGroup*>(made);
                group->SetName(L"LoadedBlock");
                m_loadedBlockId = group->GetId();
                if (load) {
                    if (library)
                        library->AddChild(group, nullptr, 1, false);
                    if (CLayer* base = FindLayerById(BASE_LAYER))
                        group->SetLayer(base);
                } else if (CGroup* parent = shape->GetParent()) {
                    // The group takes the shape's place while the shape is written in it.
                    m_blockShapeParentId = parent->GetId();
                    const int index = parent->IndexOfChild(shape->GetId());
                    parent->ReplaceChild(shape, group);
                    (void)index;
                    group->AppendChild(shape, 1);
                } else {
                    group->AppendChild(shape, 1);
                }
                root = group;
            }
        }
        // Only a save of the library itself, or of one of its blocks, writes the BLOCKS section.
        libraryTakes = load || shapeId == LIBRARY_ID || (shape && shape->GetParent() == library);
    }
    if (library && libraryTakes) {
        parts.blocks = std::make_unique<CBlocksPart>(library);
        refs.blocks = parts.blocks.get();
    }
    if (root) {
        parts.root = std::make_unique<CRootPart>(root, this);
        refs.root = parts.root.get();
    }
    if (!(mode & DXFMODE_IGNORE_LAYERS)) {
        if (CGroup* layers = GetLayersGroup()) {
            parts.layers = std::make_unique<CLayersPart>(layers);
            refs.layers = parts.layers.get();
        }
    }
    parts.lineTypes = std::make_unique<CLineTypesPart>(*m_lineTypes);
    refs.lineTypes = parts.lineTypes.get();
    refs.images = m_imageResources.get();
    refs.drawOrder = &m_drawOrder;
    doc.SetParts(refs);
    if (mode & DXFMODE_QUIET)
        doc.GetFile().SetProgressCallback(nullptr, nullptr);
    else
        doc.GetFile().SetProgressCallback(&ReportFileProgress, this);
    doc.GetFile().SetProgressMinimumStep(kFileProgressMinimumStep);
}

void CControlCore::FinishDxfTransfer(bool success, const char* fileName)
{
    CDxfDocument& doc = GetDxfDocument();
    const DWORD mode = doc.GetMode();
    doc.SetMode(0);
    doc.SetParts(CDxfDocument::Parts());
    doc.GetFile().SetProgressCallback(nullptr, nullptr);
    if (!(mode & DXFMODE_BLOCKS) || m_loadedBlockId == 0)
        return;
    CUndoSuspension suspended(m_undoRecorder.get());
    CShape* made = FindShape(m_loadedBlockId);
    const int blockId = m_loadedBlockId;
    m_loadedBlockId = 0;
    if (!made || !made->IsGroup())
        return;
    auto* group = static_cast<CGroup*>(made);
    const bool load = (mode & DXFMODE_LOAD) != 0;
    if (!load) {
        // The shape goes back where it was, and the wrapping group goes.
        CShape* shape = group->GetShapeCount() > 0 ? group->GetChildAt(0) : nullptr;
        CGroup* parent = group->GetParent();
        if (shape && parent && parent->GetId() == m_blockShapeParentId) {
            group->RemoveChild(shape);
            parent->ReplaceChild(group, shape);
        } else if (shape) {
            group->RemoveChild(shape);
        }
        if (CShape* block = FindShape(blockId))
            DeleteShapeTree(block, false, false);
        return;
    }
    if (!success || group->GetShapeCount() == 0) {
        if (CShape* block = FindShape(blockId))
            DeleteShapeTree(block, false, false);
        return;
    }
    group->SetVisible(true);
    if (!(mode & DXFMODE_DO_NOT_ALIGN_SHAPES) && !group->HasPointAt(0.0f, 0.0f)) {
        float left = 0, top = 0, right = 0, bottom = 0;
        // The corner nearest the origin: y grows upwards, so the bottom.
        if (SUCCEEDED(group->GetBoundingRect(&left, &top, &right, &bottom)))
            group->Shift(-left, -std::min(top, bottom), nullptr, true);
    }
    const std::string name = fileName && *fileName ? FileBaseName(fileName) : std::string(kLoadedBlock);
    group->SetName(ycom::AnsiToWide(name.empty() ? kLoadedBlock : name.c_str()).c_str());
}

void CControlCore::PrepareDxfSave(DWORD mode, int shapeId, DxfParts& parts)
{
    FillHeaderFromCurrentSetting();
    PrepareDxfTransfer(mode & ~static_cast<DWORD>(DXFMODE_LOAD), shapeId, parts);
    CDxfDocument& doc = GetDxfDocument();
    // Image definitions take handles above every shape ID, and the file's own handles (APPID,
    // vertices) start above those.
    const int handleBase = GetIdBaseAboveShapes();
    doc.SetImageHandleBase(handleBase);
    doc.SetImagesOff((m_dxfOptions & CShapeHost::kDxfImagesAsSolids) != 0);
    doc.GetFile().SetHandleCounter(static_cast<uint32_t>(handleBase + m_imageResources->GetNextId() + 10));
}

void CControlCore::ChooseDxfForm(CDxfFile& file) const
{
    // Binary files of the old version carry one-byte group codes.
    file.SetBinary((m_controlFlags & controlSaveAsBinary) != 0);
    file.SetTwoByteCodes(m_siteRecord.versionIndex != CDrawingHeader::kVersionAC1009);
}

void CControlCore::ResetDrawOrder()
{
    m_drawOrder.clear();
    if (m_temporaryViewportId >= 0)
        return;
    m_temporaryViewportId = -100;
}

bool CControlCore::CompareShapeOrder(const CShape* a, const CShape* b) const
{
    // A shape the table names goes before every shape it does not name; those keep their order
    // among themselves (the sort is stable). Falling back to the shape IDs for a mixed pair would
    // order no set consistently: with a before c by handle, b unnamed and IDs a < b < c, each
    // pair would be in order and the whole a ring.
    auto ia = m_drawOrder.find(a->GetId());
    auto ib = m_drawOrder.find(b->GetId());
    const bool sortedA = ia != m_drawOrder.end();
    const bool sortedB = ib != m_drawOrder.end();
    if (sortedA && sortedB)
        return ia->second < ib->second;
    return sortedA && !sortedB;
}

void CControlCore::SortRootByDrawOrder()
{
    // Only a file that named a draw order reorders the drawing; the Z orders then rise strictly
    // along it, so a later shape is always drawn over an earlier one.
    if (!m_rootGroup || m_drawOrder.empty() || m_rootGroup->GetShapeCount() < 2)
        return;
    std::vector<CShape*> children = m_rootGroup->Children();
    std::stable_sort(children.begin(), children.end(),
                     [this](CShape* a, CShape* b) { return CompareShapeOrder(a, b); });
    float z = children.front()->GetZOrder();
    for (size_t i = 1; i < children.size(); ++i) {
        z += 0.001f;
        if (children[i]->GetZOrder() <= z)
            children[i]->SetZOrder(z, false);
        else
            z = children[i]->GetZOrder();
    }
    for (CShape* child : children)
        m_rootGroup->MoveChildToTail(child->GetId());
}

void CControlCore::FillHeaderFromCurrentSetting()
{
    CSiteRecord& header = m_siteRecord;
    const CDrawingSettingRecord* setting = m_currentSetting;
    if (!setting) {
        header.currentLayerName = "0";
        return;
    }
    header.currentLayerName = setting->Layer ? setting->Layer->GetName() : std::string("0");
    if (setting->LinePatternID == 0x4000) {
        header.currentLineTypeName = "BYLAYER";
    } else if (setting->LinePatternID == 0x8000) {
        header.currentLineTypeName = "BYBLOCK";
    } else {
        const CLineType* type = m_lineTypes->Find(setting->LinePatternID);
        header.currentLineTypeName = type && type->GetName() ? type->GetName() : "BYLAYER";
    }
    header.currentColour = CColorIndexTable::FromRgb(setting->PenColor);
    header.currentLineTypeScale = setting->LinePatternScale;
    header.currentLineWeight = static_cast<int>(setting->PenWeight);
    header.imageScale = setting->ImageScale;
    header.editNewText = setting->EditNewText;
    header.showRulers = setting->ShowRulers;
    header.scalePenWeight = setting->ScalePenWeight;
    header.hatchPatternScale = setting->HatchPatternScale;
    header.hatchColour = CColorIndexTable::FromRgb(setting->HatchColor);
    header.hatchPattern = setting->HatchPatternID;
    header.orthoMode = setting->OrthoMode;
}

void CControlCore::RelinkReferences()
{
    CGroup* library = GetLibraryGroup();
    if (!library)
        return;
    library->LinkReferencesByName(library);
    if (m_rootGroup) {
        m_rootGroup->LinkReferencesByName(library);
        m_rootGroup->ResolveReferences(library, nullptr);
    }
    library->ResolveReferences(library, nullptr);
    // References left without a block go.
    if (m_rootGroup)
        m_rootGroup->ClearReferencesInTree();
}

HRESULT CControlCore::ApplyImageResourceRemap()
{
    CImageResourceMap& images = GetImageResourceMap();
    const std::map<int, int>& remap = images.IdRemap();
    if (remap.empty())
        return S_OK;
    for (const auto& entry : m_shapeMap->Shapes()) {
        if (entry.second->GetShapeType() != stImage)
            continue;
        auto* image = static_cast<CImage*>(entry.second);
        const int old = image->GetImageResourceId();
        if (images.Lookup(old))
            continue;
        auto found = remap.find(old);
        const int id = found != remap.end() && images.Lookup(found->second) ? found->second : -1;
        image->SetImageResourceId(id);
    }
    images.ClearIdRemap();
    return S_OK;
}

HRESULT CControlCore::RelinkDxfPoints()
{
    GetDxfDocument().ClearReadingState();
    return S_OK;
}

HRESULT CControlCore::RestoreDxfApproximations()
{
    m_shapeMap->ClearReplacements();
    return S_OK;
}

void CControlCore::AfterDxfLoad(DWORD mode)
{
    // Image shapes whose resources were renumbered while the file's image definitions were read
    // take the new numbers first.
    ApplyImageResourceRemap();
    // The points the file's extended data linked are linked again, before the shapes that the
    // file carried as approximations (curves and rectangles as polylines in the old version,
    // images as polygons) take their places: the rebuilt shapes take over the points.
    RelinkDxfPoints();
    RestoreDxfApproximations();
    RelinkReferences();
    if (mode & DXFMODE_BLOCKS)
        return;
    FitDraftLimitsToLoadedDrawing();
    const CSiteRecord& header = m_siteRecord;
    CGroup* layers = GetLayersGroup();
    CLayer* layer = m_currentSetting ? m_currentSetting->Layer : nullptr;
    if (!layer && !header.currentLayerName.empty())
        layer = FindLayerByName(header.currentLayerName);
    if (!layer && layers)
        for (CShape* child : layers->Children())
            if (!layer && child->GetShapeType() == stLayer)
                layer = static_cast<CLayer*>(child);
    if (!layer && layers) {
        if (CShape* shape = m_shapeMap->CreateShape(stLayer, true, true)) {
            layers->AppendChild(shape, 1);
            layer = static_cast<CLayer*>(shape);
            layer->SetName("0");
            MapLayerName("0", layer);
        }
    }
    const int lineType = m_lineTypes->IdFromName(header.currentLineTypeName.c_str());
    for (const auto& entry : m_drawingSettings->Settings()) {
        CDrawingSettingRecord& setting = *entry.second;
        setting.Layer = layer;
        setting.LinePatternID = lineType ? lineType : 0x4000;
        setting.SetPenColor(header.currentColour == 256 ? 0x20000000u
                            : header.currentColour == 0 ? 0x40000000u
                                                        : CColorIndexTable::ToRgb(header.currentColour));
        setting.SetHatchColor(header.hatchColour == 256 ? 0x20000000u
                              : header.hatchColour == 0 ? 0x40000000u
                                                        : CColorIndexTable::ToRgb(header.hatchColour));
        setting.LinePatternScale = header.currentLineTypeScale;
        setting.PenWeight = static_cast<float>(header.currentLineWeight);
        setting.ImageScale = header.imageScale;
        setting.EditNewText = header.editNewText;
        setting.ShowRulers = header.showRulers;
        setting.ScalePenWeight = header.scalePenWeight;
        setting.HatchPatternScale = header.hatchPatternScale;
        setting.HatchPatternID = header.hatchPattern;
        setting.OrthoMode = header.orthoMode;
    }
    if (layer)
        SetCurrentLayer(layer);
}

// The header's extents are the draft limits, which bound every zoom: a view far smaller than
// they are is refused. Files often carry no extents (1e20 and -1e20, or none at all), or stale
// ones that a later edit outgrew; taken as they are, the first would bound the views by the
// whole plane and refuse every zoom into the drawing, the second would leave shapes outside the
// limits. So the file's own extents stay where they hold the drawing, grow where it reaches
// beyond them (as they grow when a shape is added outside them), and the drawing's own rectangle
// stands in where the file has none; an empty drawing without extents takes the limits a new
// drawing has.
void CControlCore::FitDraftLimitsToLoadedDrawing()
{
    CSiteRecord& site = m_siteRecord;
    const bool own = site.extentsRead;
    site.extentsRead = false;
    float left = 0, top = 0, right = 0, bottom = 0;
    const bool drawn = m_rootGroup && SUCCEEDED(m_rootGroup->GetBoundingRect(&left, &top, &right, &bottom)) &&
                       std::isfinite(left) && std::isfinite(top) && std::isfinite(right) && std::isfinite(bottom);
    if (drawn) {
        if (left > right)
            std::swap(left, right);
        if (bottom > top)
            std::swap(bottom, top);
    }
    if (!own && !drawn) {
        site.ResetDraftLimits();
        return;
    }
    if (!own) {
        site.SetDraftLimits(CRealRect(left, top, right, bottom));
        return;
    }
    if (!drawn)
        return;
    CHeaderRect& limits = site.extents;
    limits.left = std::min(limits.left, left);
    limits.right = std::max(limits.right, right);
    limits.bottom = std::min(limits.bottom, bottom);
    limits.top = std::max(limits.top, top);
}

// ---- bodies -----------------------------------------------------------------------------------

HRESULT CControlCore::LoadDrawingFile(const char* fileName, DWORD mode)
{
    CUndoSuspension suspended(m_undoRecorder.get());
    const bool quiet = (mode & DXFMODE_QUIET) != 0;
    const bool keep = (mode & (DXFMODE_APPEND | DXFMODE_BLOCKS)) != 0;
    CDxfDocument& doc = GetDxfDocument();
    // A failed load answers a failure, quiet or not (quiet only keeps the host's boxes and
    // events out), and leaves the drawing as it was.
    auto refuse = [&](const std::string& text) {
        const HRESULT failed = FailTransfer(text);
        OpenGate();
        if (!quiet) {
            OnProgress(100);
            AnnounceEnd(kStageEndLoad, fileName, 0, false, srFile);
        }
        return failed;
    };

    // The file is read through once before anything changes: data cut short or damaged, and a
    // file that is neither DXF nor one of our archives, leave the drawing as it was.
    const int opened = doc.OpenForLoad(fileName, true);
    if (opened == CDxfDocument::kIncomplete)
        return refuse(doc.DescribeIncomplete("DXF file"));
    std::unique_ptr<CDataTableSet> archive;
    if (opened == 0) {
        // No DXF: the control's own archives, binary first.
        archive = std::make_unique<CDataTableSet>(1);
        if (!ReadArchiveFile(*archive, fileName))
            return refuse("The file holds no drawing.");
    }

    SetPersistState(kFileState, DXFMODE_LOAD);
    CLayerModeFlags layerFlags(m_controlFlags, mode);
    if (!keep)
        ClearSite();
    ResetDrawOrder();
    DxfParts parts;
    PrepareDxfTransfer(mode | DXFMODE_LOAD, 0, parts);
    GetImageResourceMap().ClearIdRemap();
    // Nothing an earlier (perhaps failed) read kept may reach the shapes of this one.
    doc.ClearReadingState();
    m_shapeMap->ClearReplacements();
    int read = 0;
    bool success = false;
    if (archive) {
        // The drawing was cleared above: the restore adds to what is left.
        int block = 0;
        const DWORD restoreMode = (mode | DXFMODE_LOAD | DXFMODE_APPEND) & ~static_cast<DWORD>(DXFMODE_SAVE_UNDO_DATA);
        success = SUCCEEDED(ExchangeDrawingTables(archive.get(), restoreMode, (mode & DXFMODE_BLOCKS) ? &block : nullptr));
        archive.reset();
        if (!success && !keep)
            doc.GetFile().Close();
    } else {
        read = doc.Read();
        success = read == 1;
    }

    if (read == CDxfDocument::kVersionRefused) {
        SetLastError(1, "This version of DXF is available under request.\nPlease contact the vendor.");
        if (!quiet)
            ycom::ShowMessageBox(GetControlWindow(), "This version of DXF is available under request.\nPlease contact the vendor.",
                                 "YVEXControl: Error", MB_ICONWARNING);
        FinishDxfTransfer(false, fileName);
        layerFlags.Restore();
        return refuse(GetLastErrorText());
    }
    if (read == CDxfDocument::kIncomplete) {
        // The check before found the data whole: it changed since. What was read goes.
        const std::string text = doc.DescribeIncomplete("DXF file");
        FinishDxfTransfer(false, fileName);
        if (!keep)
            ClearSite();
        layerFlags.Restore();
        return refuse(text);
    }

    if (!archive && success)
        AfterDxfLoad(mode);
    if (!(mode & DXFMODE_BLOCKS) && success)
        ApplySiteSettings();
    SortRootByDrawOrder();
    FinishDxfTransfer(success, fileName);
    layerFlags.Restore();
    if (m_rootGroup)
        m_rootGroup->SetVisible(true);
    if (!success) {
        const std::string text = GetLastErrorCode() != 0 && !GetLastErrorText().empty()
                                     ? GetLastErrorText()
                                     : std::string("The file holds no drawing.");
        RequestRedraw(rfRedrawAll, nullptr);
        return refuse(text);
    }
    OpenGate();
    if (!(mode & DXFMODE_BLOCKS))
        SetModified(false);
    if (mode & DXFMODE_REMEMBER_FILENAME)
        m_drawingFileName = fileName;
    if (!quiet) {
        OnProgress(100);
        AnnounceEnd(kStageEndLoad, fileName, 0, true, srFile);
    }
    RequestRedraw(rfRedrawAll, nullptr);
    return S_OK;
}

HRESULT CControlCore::SaveDrawingFile(const char* fileName, DWORD mode, int shapeId)
{
    SetPersistState(kFileState, 0);
    CUndoSuspension suspended(m_undoRecorder.get());
    DxfParts parts;
    PrepareDxfSave(mode, shapeId, parts);
    CDxfDocument& doc = GetDxfDocument();
    if (!doc.GetFile().IsOpen())
        ChooseDxfForm(doc.GetFile());
    bool success = false;
    try {
        success = doc.SaveToFile(fileName);
    } catch (...) {
        success = false;
    }
    FinishDxfTransfer(success, fileName);
    OpenGate();
    if (success) {
        SetModified(false);
        if (mode & DXFMODE_REMEMBER_FILENAME)
            m_drawingFileName = fileName;
    } else {
        SetLastError(1, "The file could not be written.");
    }
    if (!(mode & DXFMODE_QUIET)) {
        OnProgress(100);
        AnnounceEnd(kStageEndSave, fileName, 0, success, srFile);
    }
    return success ? S_OK : S_FALSE;
}

HRESULT CControlCore::LoadDrawingStream(IStream* stream, DWORD mode)
{
    CUndoSuspension suspended(m_undoRecorder.get());
    CDxfDocument& doc = GetDxfDocument();
    // Read through first, as a file: data cut short or damaged leaves the drawing as it was.
    const int opened = doc.OpenStreamForLoad(stream);
    if (opened != 1) {
        const HRESULT failed =
            FailTransfer(opened == CDxfDocument::kIncomplete ? doc.DescribeIncomplete("DXF data of the stream")
                                                               : std::string("The stream holds no drawing."));
        OpenGate();
        return failed;
    }
    SetPersistState(kFileState, DXFMODE_LOAD);
    if (!(mode & DXFMODE_BLOCKS))
        ClearSite();
    ResetDrawOrder();
    DxfParts parts;
    PrepareDxfTransfer(mode | DXFMODE_LOAD, 0, parts);
    GetImageResourceMap().ClearIdRemap();
    doc.ClearReadingState();
    m_shapeMap->ClearReplacements();
    const int read = doc.Read();
    const bool success = read == 1;
    std::string failure;
    if (success) {
        AfterDxfLoad(mode);
        if (!(mode & DXFMODE_BLOCKS))
            ApplySiteSettings();
        SortRootByDrawOrder();
    } else if (read == CDxfDocument::kVersionRefused) {
        failure = "This version of DXF is available under request.\nPlease contact the vendor.";
    } else if (read == CDxfDocument::kIncomplete) {
        failure = doc.DescribeIncomplete("DXF data of the stream");
    } else {
        failure = "The stream holds no drawing.";
    }
    FinishDxfTransfer(success, nullptr);
    if (!success && !(mode & DXFMODE_BLOCKS) && read != CDxfDocument::kVersionRefused)
        ClearSite();
    if (m_rootGroup)
        m_rootGroup->SetVisible(true);
    const HRESULT result = success ? S_OK : FailTransfer(failure);
    OpenGate();
    RequestRedraw(rfRedrawAll, nullptr);
    return result;
}

HRESULT CControlCore::SaveDrawingStream(IStream* stream, DWORD mode, int shapeId)
{
    SetPersistState(kFileState, 0);
    CUndoSuspension suspended(m_undoRecorder.get());
    DxfParts parts;
    PrepareDxfSave(mode, shapeId, parts);
    CDxfDocument& doc = GetDxfDocument();
    ChooseDxfForm(doc.GetFile());
    bool success = false;
    try {
        success = doc.SaveToStream(stream);
    } catch (...) {
        success = false;
    }
    FinishDxfTransfer(success, nullptr);
    OpenGate();
    return success ? S_OK : E_FAIL;
}
