// The clipboard: the selection copied as the control's own drawing data and as a picture, and
// pasted back from the best format of the format table that the clipboard offers. The clipboard
// is opened and closed within each call, never left open.
#include "control/YVEXControl.h"
#include "com/AnsiText.h"
#include "com/Guard.h"
#include "com/HResult.h"
#include "com/Owners.h"
#include "control/ClipboardDib.h"
#include "control/ClipboardFormatTable.h"
#include "interchange/ImageResource.h"
#include "model/Group.h"
#include "model/Image.h"
#include "model/SelectionGroup.h"
#include "model/Text.h"
#include "ui/resource.h"
#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <vector>

namespace {

// The clipboard opened for a window for the life of the object (or until Close).
class ClipboardSession
{
public:
    explicit ClipboardSession(HWND owner) : m_open(OpenClipboard(owner) != FALSE) {}
    ~ClipboardSession() { Close(); }
    ClipboardSession(const ClipboardSession&) = delete;
    ClipboardSession& operator=(const ClipboardSession&) = delete;
    bool IsOpen() const { return m_open; }
    void Close()
    {
        if (m_open)
            CloseClipboard();
        m_open = false;
    }

private:
    bool m_open;
};

// The wait cursor until the object goes (or Restore).
class WaitCursor
{
public:
    WaitCursor() : m_old(SetCursor(LoadCursor(nullptr, IDC_WAIT))) {}
    ~WaitCursor() { Restore(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
    void Restore()
    {
        if (m_active)
            SetCursor(m_old);
        m_active = false;
    }

private:
    HCURSOR m_old;
    bool m_active = true;
};

// Event firing switched off while the control itself changes the drawing, so that a host handler
// that calls back hears no nested events; back as it was when the object goes (or Restore).
class EventsOff
{
public:
    explicit EventsOff(CYVEXControl& control) : m_control(control), m_was(control.EventsEnabled())
    {
        control.SetEventsEnabled(false);
    }
    ~EventsOff() { Restore(); }
    EventsOff(const EventsOff&) = delete;
    EventsOff& operator=(const EventsOff&) = delete;
    void Restore()
    {
        if (m_active)
            m_control.SetEventsEnabled(m_was);
        m_active = false;
    }

private:
    CYVEXControl& m_control;
    bool m_was;
    bool m_active = true;
};

// The entry of the table for a format number, or null for one it does not list.
const ClipboardFormatEntry* FindFormatEntry(UINT format)
{
    const ClipboardFormatEntry* table = GetClipboardFormatTable();
    for (int i = 0; i < kClipboardFormatCount; ++i)
        if (table[i].format > 0 && static_cast<UINT>(table[i].format) == format)
            return &table[i];
    return nullptr;
}

// The first format of the priority list (from `first` on) that the clipboard offers; 0 for none.
UINT FirstOfferedFormat(int first)
{
    UINT* list = const_cast<UINT*>(GetClipboardPriorityList()) + first;
    const int chosen = GetPriorityClipboardFormat(list, kClipboardFormatCount - first);
    return chosen > 0 ? static_cast<UINT>(chosen) : 0;
}

// The description of an enhanced metafile up to its first NUL (the creator part); empty when it
// has none.
std::string MetafileCreator(HENHMETAFILE metafile)
{
    const UINT length = GetEnhMetaFileDescriptionA(metafile, 0, nullptr);
    if (length == 0 || length == GDI_ERROR)
        return std::string();
    std::vector<char> text(length + 1, '\0');
    if (GetEnhMetaFileDescriptionA(metafile, length, text.data()) == GDI_ERROR)
        return std::string();
    return std::string(text.data());
}

// The text of a clipboard block, never read past the block's end: UTF-16 for CF_UNICODETEXT, the
// ANSI code page for the others.
std::wstring ReadClipboardText(HANDLE data, UINT format)
{
    ycom::GlobalLockView<char> view(static_cast<HGLOBAL>(data));
    if (!view)
        return std::wstring();
    const size_t size = view.Size();
    if (format == CF_UNICODETEXT) {
        const auto* text = reinterpret_cast<const wchar_t*>(view.Get());
        const size_t capacity = size / sizeof(wchar_t);
        size_t length = 0;
        while (length < capacity && text[length])
            ++length;
        return std::wstring(text, length);
    }
    const size_t length = strnlen(view.Get(), size);
    return ycom::AnsiToWide(view.Get(), length);
}

// The picture bytes of a clipboard block of the raster or metafile kinds, as the image loader
// reads them: "JFIF" and "GIF" blocks are files already, a DIB becomes a BMP file, metafiles give
// their bits. Empty when there is nothing to read.
std::vector<unsigned char> ReadClipboardPicture(HANDLE data, UINT format, int kind)
{
    std::vector<unsigned char> bytes;
    switch (kind) {
    case ClipboardFormatEntry::kImage: {
        ycom::GlobalLockView<unsigned char> view(static_cast<HGLOBAL>(data));
        if (!view)
            break;
        if (format == CF_DIB)
            BuildBitmapFileImage(view.Get(), view.Size(), &bytes);
        else
            bytes.assign(view.Get(), view.Get() + view.Size());
        break;
    }
    case ClipboardFormatEntry::kMetafilePicture: {
        ycom::GlobalLockView<METAFILEPICT> view(static_cast<HGLOBAL>(data));
        if (!view || view.Size() < sizeof(METAFILEPICT) || !view.Get()->hMF)
            break;
        const UINT size = GetMetaFileBitsEx(view.Get()->hMF, 0, nullptr);
        if (size == 0)
            break;
        bytes.assign(size, 0);
        if (GetMetaFileBitsEx(view.Get()->hMF, size, bytes.data()) != size)
            bytes.clear();
        break;
    }
    case ClipboardFormatEntry::kEnhancedMetafile: {
        auto* metafile = static_cast<HENHMETAFILE>(data);
        const UINT size = GetEnhMetaFileBits(metafile, 0, nullptr);
        if (size == 0)
            break;
        bytes.assign(size, 0);
        if (GetEnhMetaFileBits(metafile, size, bytes.data()) != size)
            bytes.clear();
        break;
    }
    default: break;
    }
    return bytes;
}

} // namespace

UINT CYVEXControl::OwnClipboardFormat()
{
    // A control made without its final construction registers the formats when first asked.
    if (!m_clipboardFormat)
        m_clipboardFormat = RegisterClipboardFormats();
    return m_clipboardFormat;
}

bool CYVEXControl::ForwardToTextEditor(UINT message)
{
    for (CInPlaceEdit* editor : {m_inPlaceEdit.get(), m_richInPlaceEdit.get()}) {
        if (!editor || editor->IsCancelled())
            continue;
        HWND window = editor->GetHandle();
        if (window && IsWindow(window) && IsWindowVisible(window)) {
            SendMessageW(window, message, 0, 0);
            return true;
        }
    }
    return false;
}

void CYVEXControl::DropInoperableFromSelection()
{
    auto* selection = static_cast<CSelectionGroup*>(GetSelectionGroup());
    if (!selection)
        return;
    std::set<int> dropped;
    for (CShape* shape : selection->Children())
        if (!shape->IsEnabled() || !shape->IsVisible())
            dropped.insert(shape->GetId());
    if (dropped.empty())
        return;
    selection->RemoveIds(&dropped);
    if (EventsEnabled())
        FireChangeSelection();
}

// ---- copy and cut ----

STDMETHODIMP CYVEXControl::Copy()
{
    return ycom::Guard(IID_IYVEXControl, [&]() -> HRESULT {
        if (!IsIdle() || ForwardToTextEditor(WM_COPY))
            return S_FALSE;
        auto* selection = static_cast<CSelectionGroup*>(GetSelectionGroup());
        if (!selection || selection->GetShapeCount() == 0)
            return S_FALSE;
        const UINT own = OwnClipboardFormat();
        CGroup* clipboardGroup = FindGroup(CLIPBOARD_ID);
        if (clipboardGroup) {
            clipboardGroup->Clear(false);
            clipboardGroup->SetName(L"");
        }
        WaitCursor wait;

        ClipboardSession clipboard(m_hWnd);
        // An earlier copy's data never stays beside this one's: emptied whenever opened.
        if (clipboard.IsOpen())
            EmptyClipboard();
        selection->MarkChildren(true);
        LONG_PTR buffer = 0;
        // A copy of the selection is no save of the site: quietly, so that no save stage runs (the
        // end of one marks the drawing saved, and the host could refuse the copy as a save).
        HRESULT result = SaveDTC(DXFMODE_BLOCKS | DXFMODE_QUIET, SELECTION_ID, &buffer);
        bool delivered = false;
        if (buffer) {
            ycom::GlobalMem owned(reinterpret_cast<HGLOBAL>(buffer));
            // The clipboard owns what it takes; the data of a save that failed part-way are no
            // copy of the selection and stay off it.
            if (SUCCEEDED(result) && clipboard.IsOpen() && own && SetClipboardData(own, owned.Get())) {
                owned.Detach();
                delivered = true;
            }
        }

        HENHMETAFILE metafile = nullptr;
        if (SUCCEEDED(DrawSiteMetafile(nullptr, PRINT_SELECTION, &metafile)) && metafile) {
            const std::string creator = MetafileCreator(metafile);
            if (!creator.empty() && clipboardGroup)
                clipboardGroup->SetName(ycom::AnsiToWide(creator).c_str());
            if (!clipboard.IsOpen() || !SetClipboardData(CF_ENHMETAFILE, metafile))
                DeleteEnhMetaFile(metafile);
        }
        clipboard.Close();

        // Drawing data that did not reach the clipboard is no copy: a cut then deletes nothing.
        if (SUCCEEDED(result) && !delivered)
            return ReportError("Can't copy to the clipboard.");
        if (SUCCEEDED(result) && !FireCopySuccessful()) {
            // The host refused the copy: nothing of it stays on the clipboard, and the caller
            // hears that it did not happen (a cut then deletes nothing).
            ClipboardSession again(m_hWnd);
            if (again.IsOpen())
                EmptyClipboard();
            result = S_FALSE;
        }
        return result;
    });
}

STDMETHODIMP CYVEXControl::Cut()
{
    return ycom::Guard(IID_IYVEXControl, [&]() -> HRESULT {
        if (!IsIdle() || !AcceptsEdits())
            return S_FALSE;
        const HRESULT copied = Copy();
        if (copied != S_OK)
            return copied;
        CGroup* root = GetRootGroup();
        if (root && !root->IsEnabled())
            return S_FALSE;
        DropInoperableFromSelection();
        CGroup* selection = GetSelectionGroup();
        std::vector<int> ids;
        if (selection)
            for (CShape* shape : selection->Children())
                ids.push_back(shape->GetId());
        if (ids.empty()) {
            if (EventsEnabled())
                RestartRedrawTimer(0);
            RequestRedraw(rfRedrawSelection, nullptr);
            return S_OK;
        }
        // Every selected shape goes in one undo operation.
        CUndoRecorder* recorder = GetUndoRecorder();
        if (recorder)
            recorder->OpenOperation(opDelete);
        bool deleted = false;
        for (int id : ids) {
            // A shape inside a group deleted before it went with the group.
            if (!FindShape(id))
                continue;
            DeleteShapeByID(id, 1, 0);
            deleted = deleted || !FindShape(id);
        }
        if (recorder)
            recorder->CloseOperation(deleted);
        RequestRedraw(deleted ? rfRedrawAll : rfRedrawSelection, nullptr);
        return S_OK;
    });
}

// ---- paste ----

HRESULT CYVEXControl::PasteOwnData(HANDLE data, int* pasted)
{
    *pasted = 0;
    CGroup* library = GetLibraryGroup();
    CGroup* root = GetRootGroup();
    auto* selection = static_cast<CSelectionGroup*>(GetSelectionGroup());
    if (!library || !root || !selection)
        return E_FAIL;
    CUndoRecorder* recorder = GetUndoRecorder();
    // The steps that only build the temporary block are not the user's to undo.
    auto unrecorded = [recorder](auto step) {
        if (recorder)
            recorder->Suspend();
        step();
        if (recorder)
            recorder->Resume();
    };

    CGroup* block = nullptr;
    HRESULT result = E_OUTOFMEMORY;
    unrecorded([&] {
        CShape* made = GetShapeMap().CreateShape(stGroup, true, true);
        if (!made)
            return;
        block = static_cast<CGroup*>(made);
        library->AddChild(block, nullptr, 0, false);
        block->SetName(L"Pasted");
        result = LoadDTC(reinterpret_cast<LONG_PTR>(data),
                         DXFMODE_QUIET | DXFMODE_PROCESS_TREE_ONLY | DXFMODE_DO_NOT_OVERWRITE_LAYERS | DXFMODE_BLOCKS,
                         block->GetId());
    });
    if (!block)
        return result;
    const int blockId = block->GetId();

    if (SUCCEEDED(result) && FindShape(blockId) == block && block->GetShapeCount() > 0) {
        unrecorded([&] {
            selection->Clear(false);
            block->ResolveReferences(library, nullptr);
        });
        const std::vector<CShape*> children = block->Children();
        for (CShape* child : children) {
            if (recorder)
                recorder->RecordShape(opCreate, child, false);
            selection->AddChild(child, nullptr, 0, false);
        }
        const std::vector<CShape*> selected = selection->Children();
        for (CShape* shape : selected)
            root->AddChild(shape, nullptr, 0, false);
        for (CShape* child : children)
            if (child->GetParent() != block)
                ++*pasted;
    }
    // The temporary block goes with whatever it still holds.
    unrecorded([&] {
        if (CShape* left = FindShape(blockId))
            DeleteShapeTree(left, false, false);
    });
    return result;
}

HRESULT CYVEXControl::PasteForeignData(const std::vector<unsigned char>& image, const std::wstring& text,
                                       bool richText, int* pasted)
{
    *pasted = 0;
    CGroup* root = GetRootGroup();
    LONG shapeId = 0;
    HRESULT result = S_FALSE;
    if (!image.empty()) {
        result = AddImageFromData(root, image.data(), image.size(), 0.0f, 0.0f, 0.0f, 0.0f, true, &shapeId);
    } else if (!text.empty()) {
        // The text takes the look of the default text when there is one.
        float height = 5.0f, angle = 0.0f, factor = 1.0f;
        LONG alignment = 0;
        CShape* prototype = FindShape(DEFAULT_TEXT_ID);
        if (prototype && prototype->GetShapeType() == stText) {
            auto* defaultText = static_cast<CText*>(prototype);
            height = defaultText->GetHeight();
            alignment = static_cast<LONG>(defaultText->GetAlignType());
            angle = static_cast<float>(defaultText->GetRotation());
            factor = defaultText->GetXScale();
        }
        result = AddText(root, text.c_str(), 0.0f, 0.0f, richText ? ttRTF : ttANSI, 0.0f, height, alignment, angle,
                         factor, &shapeId);
    }
    CShape* shape = shapeId ? FindShape(shapeId) : nullptr;
    if (!shape)
        return result;
    if (shape->GetShapeType() == stImage)
        if (CImageResource* resource = static_cast<CImage*>(shape)->GetImageResource())
            if (resource->GetName().empty()) {
                char name[32];
                std::snprintf(name, sizeof name, "Pasted%d", static_cast<int>(resource->GetId()));
                resource->SetName(name);
            }
    if (CGroup* selection = GetSelectionGroup())
        selection->AddChild(shape, nullptr, 0, false);
    *pasted = 1;
    return result;
}

bool CYVEXControl::PlacePastedShapes(int pasted)
{
    auto* selection = static_cast<CSelectionGroup*>(GetSelectionGroup());
    if (!selection)
        return false;
    std::vector<int> ids;
    for (CShape* shape : selection->Children()) {
        if (static_cast<int>(ids.size()) == pasted)
            break;
        ids.push_back(shape->GetId());
    }
    // The shapes hang at the pointer as a new creation: a cancelled placement deletes them.
    const CRealPoint anchor(0.0f, 0.0f);
    const bool moving = StartEditShapeAt(selection, EDSH_MOVE, 0, EDFLG_NO_TRACE | EDFLG_NO_OLD | EDFLG_DELETE_ON_CANCEL,
                                         &anchor, nullptr) == 1;
    if (selection->GetShapeCount() != pasted || !moving) {
        for (int id : ids) {
            CShape* shape = FindShape(id);
            if (shape && selection->IndexOfChild(id) < 0)
                DeleteShapeTree(shape, false, false);
        }
    }
    return moving;
}

STDMETHODIMP CYVEXControl::Paste()
{
    return ycom::Guard(IID_IYVEXControl, [&]() -> HRESULT {
        if (ForwardToTextEditor(WM_PASTE))
            return S_FALSE;
        CGroup* root = GetRootGroup();
        if (!root || !root->IsGroup() || !root->IsEnabled() || !AcceptsEdits() || !GetActiveGroup())
            return S_FALSE;
        if (GetActiveGroup()->GetId() == CLIPBOARD_ID)
            return ReportError("Can't paste to the clipboard.");
        const UINT own = OwnClipboardFormat();

        EventsOff quiet(*this);
        CGroup* selection = GetSelectionGroup();
        if (selection)
            selection->Clear(false);
        WaitCursor wait;

        const UINT chosen = FirstOfferedFormat(0);
        ClipboardSession clipboard(m_hWnd);
        if (!clipboard.IsOpen())
            return S_FALSE;
        UINT format = chosen;
        HANDLE data = nullptr;
        if (own && IsClipboardFormatAvailable(own)) {
            format = own;
            data = ::GetClipboardData(own);
        } else if (chosen) {
            data = ::GetClipboardData(chosen);
        }
        if (!data)
            return S_FALSE;
        // The picture this control put there itself beside its own data is not pasted again.
        if (format == CF_ENHMETAFILE) {
            const std::string creator = MetafileCreator(static_cast<HENHMETAFILE>(data));
            CGroup* clipboardGroup = FindGroup(CLIPBOARD_ID);
            if (!creator.empty() && clipboardGroup && !clipboardGroup->GetName().empty() &&
                ycom::WideToAnsi(clipboardGroup->GetName()) == creator)
                return S_FALSE;
        }
        const ClipboardFormatEntry* entry = format == own ? GetClipboardFormatTable() : FindFormatEntry(format);
        if (!entry)
            return S_FALSE;

        CUndoRecorder* recorder = GetUndoRecorder();
        if (recorder)
            recorder->OpenOperation(opCreate);
        int pasted = 0;
        HRESULT result = S_FALSE;
        if (entry->kind == ClipboardFormatEntry::kDrawing) {
            result = PasteOwnData(data, &pasted);
            clipboard.Close();
        } else {
            std::vector<unsigned char> image;
            std::wstring text;
            if (entry->kind == ClipboardFormatEntry::kText)
                text = ReadClipboardText(data, format);
            else
                image = ReadClipboardPicture(data, format, entry->kind);
            clipboard.Close();
            const bool rich = entry->name && std::strcmp(entry->name, "Rich Text Format") == 0;
            result = PasteForeignData(image, text, rich, &pasted);
            if (!pasted) {
                if (recorder)
                    recorder->CloseOperation(false);
                return result == S_OK ? E_ACCESSDENIED : result;
            }
        }

        bool moving = false;
        if (pasted) {
            quiet.Restore();
            wait.Restore();
            moving = PlacePastedShapes(pasted);
        }
        bool cancelled = false;
        if (moving && !FirePasteSuccessful()) {
            // The host refused: the shapes hanging at the pointer go again.
            EventsOff refusal(*this);
            EndInteractiveOperation(false, true);
            cancelled = true;
        }
        if (recorder)
            recorder->CloseOperation(moving && !cancelled);
        return result;
    });
}

// ---- what can be pasted ----

bool CYVEXControl::CanPasteNow()
{
    CGroup* root = GetRootGroup();
    const UINT own = OwnClipboardFormat();
    if (root && root->IsGroup() && root->IsEnabled() && own && IsClipboardFormatAvailable(own))
        return true;
    // The other formats make new shapes on a layer the user can reach.
    if (!FirstOfferedFormat(1))
        return false;
    CGroup* layers = GetLayersGroup();
    if (!layers)
        return false;
    for (CShape* layer : layers->Children())
        if (layer->IsEnabled() && layer->IsVisible())
            return true;
    return false;
}

bool CYVEXControl::PrunePasteItem(HMENU menu)
{
    const bool possible = CanPasteNow();
    if (!possible && menu)
        DeleteMenu(menu, MI_PASTE, MF_BYCOMMAND);
    return possible;
}

STDMETHODIMP CYVEXControl::CanPaste(VARIANT_BOOL* pVal)
{
    return ycom::Guard(IID_IYVEXControl, [&]() -> HRESULT {
        if (!pVal)
            return E_INVALIDARG;
        *pVal = CanPasteNow() ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    });
}
