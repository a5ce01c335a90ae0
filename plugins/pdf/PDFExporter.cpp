#include "PDFExporter.h"
#include <cmath>
#include <vector>
#include "afx/ModuleState.h"
#include "afx/Wnd.h"
#include "common/FreezeGuard.h"
#include "common/ShapeWalk.h"
#include "common/SiteMetafile.h"

namespace {

const char* const kCaption = "PDF Export";
const char* const kEngineLibrary = "wPDFControl02.dll";
// Texts in references nested deeper below the root than this get no leader.
const int kLeaderDepth = 10;
const double kRadiansPerDegree = 0.017453292519943278;

int Message(const CString& text, UINT style)
{
    CWnd owner(AfxSafeHwnd(AfxGetMainWnd()));
    return owner.MessageBox(text, kCaption, style);
}

} // namespace

CPDFExporter::CPDFExporter(IYVEXControlPtr control, void* user, ProgressCallback callback)
    : CVExporter(control, user, callback)
{
}

CPDFExporter::CPDFExporter(IYVEXControlPtr control, const CProgressNotifier& notifier) : CVExporter(control, notifier)
{
}

int CPDFExporter::ReadyExport(unsigned long option, unsigned long)
{
    m_option = option;
    return TRUE;
}

int CPDFExporter::Export(const CString& path, unsigned long option, unsigned long)
{
    return Export(CString(path), static_cast<int>(option));
}

int CPDFExporter::Export(CString path, int)
{
    m_state = 0;
    if (!m_control)
        return FALSE;
    // The engine ends (finalized, unloaded) on every way out.
    CPDFEngine engine;
    engine.Load(kEngineLibrary);
    m_pageWidth = static_cast<float>(wpdf::kPageWidth);
    m_pageHeight = static_cast<float>(wpdf::kPageHeight);

    struct RunEnd {
        CPDFExporter* self;
        ~RunEnd()
        {
            self->m_engine = nullptr;
            self->m_dc = nullptr;
            self->m_runSite = nullptr;
            self->m_runShapes = nullptr;
            self->m_runResources = nullptr;
            self->m_selection = nullptr;
        }
    } runEnd{this};
    RaiseIfFailed(m_control->get_Site(&m_runSite), m_control);
    RaiseIfFailed(m_runSite->get_ImageResources(&m_runResources), m_runSite);
    RaiseIfFailed(m_runSite->get_Shapes(&m_runShapes), m_runSite);
    IShapePtr root, selection;
    RaiseIfFailed(m_runShapes->get_ItemByID(BASE_ID, &root), m_runShapes);
    RaiseIfFailed(m_runShapes->get_ItemByID(SELECTION_ID, &selection), m_runShapes);
    if (!root || !selection)
        _com_issue_errorex(E_POINTER, m_runShapes, m_runShapes.GetIID());
    IShapeCollectionPtr drawing;
    RaiseIfFailed(root->get_Shapes(&drawing), root);
    RaiseIfFailed(selection->get_Shapes(&m_selection), selection);

    // The bounds with the attribute texts of references, the site's flags as they were after.
    {
        unsigned long flags = 0;
        RaiseIfFailed(m_runSite->get_ControlFlags(&flags), m_runSite);
        RaiseIfFailed(m_runSite->put_ControlFlags(flags | controlReferenceBoundsWithAttribs), m_runSite);
        const HRESULT hr = root->GetBoundingRect(&m_left, &m_top, &m_right, &m_bottom);
        RaiseIfFailed(m_runSite->put_ControlFlags(flags), m_runSite);
        if (FAILED(hr)) {
            Message("Drawing is empty!", MB_ICONSTOP);
            m_state = hr;
            return FALSE;
        }
    }
    const double width = static_cast<double>(m_right) - m_left;
    const double height = static_cast<double>(m_top) - m_bottom;
    // A side of no extent does not limit the fit; a drawing of no extent at all is drawn at one
    // point per unit.
    const double fitX = width > 0 ? 21000 / width : HUGE_VAL, fitY = height > 0 ? 29700 / height : HUGE_VAL;
    const double pageX = width > 0 ? wpdf::kPageWidth / width : HUGE_VAL;
    const double pageY = height > 0 ? wpdf::kPageHeight / height : HUGE_VAL;
    m_fitScale = std::isfinite(std::min(fitX, fitY)) ? static_cast<float>(std::min(fitX, fitY) * 0.9) : 1.0f;
    m_pageScale = std::isfinite(std::min(pageX, pageY)) ? static_cast<float>(std::min(pageX, pageY) * 0.9) : 1.0f;
    m_marginX = static_cast<float>(wpdf::kPageWidth * 0.05);
    m_marginY = static_cast<float>(wpdf::kPageHeight * 0.05);
    m_marginHimetricX = 1050;
    m_marginHimetricY = 1485;

    if (!engine.IsLoaded()) {
        Message("PDF Engine was not found!", MB_ICONSTOP);
        m_state = HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND);
        return FALSE;
    }
    if (!engine.Initialize()) {
        Message("PDF Engine cannot be initialized!", MB_ICONSTOP);
        m_state = E_FAIL;
        return FALSE;
    }
    if (!engine.BeginDoc(path, 0)) {
        CString text;
        text.Format("Cannot create file %s", path.GetString());
        Message(text, MB_OK);
        engine.Finalize();
        m_state = E_FAIL;
        return FALSE;
    }
    engine.StartPage();
    m_engine = &engine;
    m_dc = engine.DC();
    HGDIOBJ previousBrush = nullptr;
    if (m_dc) {
        previousBrush = SelectObject(m_dc, GetStockObject(NULL_BRUSH));
        SelectObject(m_dc, GetStockObject(DC_PEN));
        SetDCPenColor(m_dc, RGB(0, 0, 0));
    }

    {
        // Undo (and redrawing) off while the shapes are drawn, back as they were on every way
        // out; so is the user's selection, which the metafile drawings use.
        CFreezeGuard frozen(m_control, false);
        const std::vector<long> selected = ChildIds(m_selection);
        struct SelectionBack {
            CPDFExporter* self;
            const std::vector<long>& ids;
            ~SelectionBack()
            {
                IShapeCollection* selection = self->m_selection.GetInterfacePtr();
                if (!selection)
                    return;
                long n = 0;
                while (SUCCEEDED(selection->get_Count(&n)) && n > 0 && SUCCEEDED(selection->Delete(1))) {
                }
                for (long id : ids)
                    selection->AddShape(id);
            }
        } selectionBack{this, selected};

        long reported = 0;
        for (long i = 1; i <= CountOf(drawing); ++i) {
            IShapePtr child;
            RaiseIfFailed(drawing->get_Item(i, &child), drawing);
            if (child)
                InsertShape(child);
            const long p = static_cast<long>(static_cast<double>(i) / CountOf(drawing) * 99);
            if (p > reported) {
                reported = p;
                m_notifier.Notify(p);
            }
        }
        AddLeader(root, kLeaderDepth);
    }

    if (m_dc && previousBrush)
        SelectObject(m_dc, previousBrush);
    engine.EndPage();
    const int written = engine.EndDoc();
    engine.Finalize();
    m_notifier.Notify(100);
    engine.Unload();
    if (!written) {
        // The engine could not finish the file (a full disk): the export did not succeed.
        m_state = E_FAIL;
        return FALSE;
    }
    return TRUE;
}

void CPDFExporter::AddLeader(IShape* shape, int depth)
{
    long type = 0;
    RaiseIfFailed(shape->get_ShapeType(&type), shape);
    CRealRect<float> bounds;
    if (type == stReference) {
        if (FAILED(shape->GetBoundingRect(&bounds.left, &bounds.top, &bounds.right, &bounds.bottom)))
            return;
    }
    IShapeCollectionPtr children;
    RaiseIfFailed(shape->get_Shapes(&children), shape);
    for (long i = 1; i <= CountOf(children); ++i) {
        IShapePtr child;
        RaiseIfFailed(children->get_Item(i, &child), children);
        if (!child)
            continue;
        VARIANT_BOOL visible = VARIANT_FALSE;
        RaiseIfFailed(child->get_Visible(&visible), child);
        if (!visible)
            continue;
        long childType = 0;
        RaiseIfFailed(child->get_ShapeType(&childType), child);
        if (childType == stReference) {
            if (depth > 0)
                AddLeader(child, depth - 1);
        } else if (type == stReference && childType == stText) {
            ITextShapePtr text(child);
            if (text)
                AddLeaderTxt(text, bounds);
        }
    }
}

void CPDFExporter::AddLeaderTxt(ITextShape* text, const CRealRect<float>& reference)
{
    long leader = 0;
    RaiseIfFailed(text->get_LeaderType(&leader), text);
    BSTR content = nullptr;
    RaiseIfFailed(text->get_Text(&content), text);
    const bool empty = !content || !*content;
    SysFreeString(content);
    if (leader == 0 || empty || !m_engine)
        return;
    IShapePtr shape(text);
    OLE_COLOR pen = 0;
    RaiseIfFailed(shape->get_TranslatedPenColor(&pen), shape);
    if (m_dc)
        SetDCPenColor(m_dc, pen & 0xFFFFFF);
    double angle = 0, x = 0, y = 0, width = 0, height = 0;
    Alignments align = alLeft;
    RaiseIfFailed(shape->get_Angle(&angle), shape);
    RaiseIfFailed(shape->get_PositionX(&x), shape);
    RaiseIfFailed(shape->get_PositionY(&y), shape);
    RaiseIfFailed(text->get_Width(&width), text);
    RaiseIfFailed(text->get_Height(&height), text);
    RaiseIfFailed(text->get_AlignType(&align), text);
    if (std::isfinite(angle)) {
        angle = std::fmod(angle, 360.0);
        if (angle < 0)
            angle += 360;
    }
    // The attach point: the middle of the reference's side nearer to the text.
    const double midX = (static_cast<double>(reference.left) + reference.right) / 2;
    const double midY = (static_cast<double>(reference.top) + reference.bottom) / 2;
    double ax, ay, bx, by;
    if ((angle > 45 && angle <= 135) || (angle > 225 && angle <= 315)) {
        ax = bx = midX;
        ay = reference.top;
        by = reference.bottom;
    } else {
        ay = by = midY;
        ax = reference.left;
        bx = reference.right;
    }
    if (std::hypot(bx - x, by - y) < std::hypot(ax - x, ay - y)) {
        ax = bx;
        ay = by;
    }
    m_engine->MoveTo(static_cast<int>(PageX(ax)), static_cast<int>(PageY(ay)));

    // The end: where the text's first line starts on its baseline, from the anchor by the
    // alignment (left, right or centre; top, bottom or middle), turned with the text.
    const double h = std::fabs(height);
    double along = 0, down = h;
    switch (align & 6) {
    case 2:
        along = -width;
        break;
    case 6:
        along = -width / 2;
        break;
    default:
        break;
    }
    switch (align & 0x10008) {
    case 8:
        down = 0;
        break;
    case 0x10000:
        down = h / 2;
        break;
    default:
        break;
    }
    const double t = angle * kRadiansPerDegree;
    const double ex = x + along * std::cos(t) + down * std::sin(t);
    const double ey = y + along * std::sin(t) - down * std::cos(t);
    if (std::hypot(ex - ax, ey - ay) > h) {
        // One bend: level with the attach point, a third of the way towards the text.
        m_engine->LineTo(static_cast<int>(PageX(ax + (ex - ax) / 3)), static_cast<int>(PageY(ay)));
        m_engine->LineTo(static_cast<int>(PageX(ex)), static_cast<int>(PageY(ey)));
    }
}

CRealRect<float> CPDFExporter::GetYVEXMetafileRect(long mode) { return GetSiteMetafileRect(m_control, mode); }

HENHMETAFILE CPDFExporter::DrawYVEXOnMetafile(CSize& size, const char* file, int mode, int plain)
{
    return static_cast<HENHMETAFILE>(DrawSiteOnMetafile(m_control, size, file, mode, plain != 0));
}
