#include "XAMLExport.h"
#include <algorithm>
#include <cmath>
#include "common/FreezeGuard.h"
#include "common/ShapeWalk.h"
#include "common/SiteMetafile.h"

namespace {

// The 32-bit float nearest 1/700: world units of a drawing 1 unit wide per canvas unit.
const float kPerCanvasUnit = 0.0014285714f;

} // namespace

CXAMLExport::CXAMLExport(IYVEXControlPtr control, void* user, ProgressCallback callback)
    : CVExporter(control, user, callback)
{
}

CXAMLExport::CXAMLExport(IYVEXControlPtr control, const CProgressNotifier& notifier) : CVExporter(control, notifier) {}

int CXAMLExport::ReadyExport(unsigned long option, unsigned long value)
{
    switch (option) {
    case 1:
        m_workflow = 1;
        break;
    case 2:
        m_blockImageMode = static_cast<int>(value);
        break;
    case 3:
        m_option3 = static_cast<int>(value);
        break;
    default:
        break;
    }
    return TRUE;
}

int CXAMLExport::Export(const CString& path, unsigned long option, unsigned long)
{
    return Export(CString(path), static_cast<int>(option));
}

int CXAMLExport::Export(CString path, int)
{
    m_state = 0;
    const std::wstring widePath = afx::Wide(path);
    // The folder of the document, where its pictures go: up to the last separator, none when
    // the path has none (or only one in front).
    const size_t slash = widePath.find_last_of(L"\\/");
    m_outputDirectory = slash == std::wstring::npos || slash == 0 ? std::wstring() : widePath.substr(0, slash + 1);
    m_savedImageNames.clear();
    if (!m_control)
        return FALSE;

    RaiseIfFailed(m_control->get_Site(&m_runSite), m_control);
    struct RunEnd {
        CXAMLExport* self;
        ~RunEnd()
        {
            self->m_runSite = nullptr;
            self->m_runShapes = nullptr;
            self->m_runResources = nullptr;
        }
    } runEnd{this};
    RaiseIfFailed(m_runSite->get_ImageResources(&m_runResources), m_runSite);
    RaiseIfFailed(m_runSite->get_Shapes(&m_runShapes), m_runSite);
    IShapePtr root;
    RaiseIfFailed(m_runShapes->get_ItemByID(BASE_ID, &root), m_runShapes);
    if (!root)
        _com_issue_errorex(E_POINTER, m_runShapes, m_runShapes.GetIID());
    IShapeCollectionPtr drawing;
    RaiseIfFailed(root->get_Shapes(&drawing), root);

    // A drawing without shapes has no bounds to ask for: its marker has no size.
    m_left = m_top = m_right = m_bottom = 0;
    if (CountOf(drawing) > 0)
        RaiseIfFailed(root->GetBoundingRect(&m_left, &m_top, &m_right, &m_bottom), root);
    const float w = (m_right - m_left) * kPerCanvasUnit;
    const float h = (m_top - m_bottom) * kPerCanvasUnit;
    m_canvasScale = w >= h ? w : h;
    // A drawing of no extent (one point, or none) is written at one world unit per canvas unit:
    // a scale of 0 would fill the document with infinities.
    if (!(m_canvasScale > 0) || !std::isfinite(m_canvasScale))
        m_canvasScale = 1;
    m_negatedLeft = -m_left;
    m_canvasTop = m_top;

    CXAMLStream out;
    if (!out.Open(widePath.c_str())) {
        m_state = E_FAIL;
        return FALSE;
    }

    // Metafile images become blocks while the export runs: the undo history does not record
    // them, and those that were not there before go again at the end, on every way out.
    CFreezeGuard frozen(m_control, false);
    {
        IShapeCollectionPtr library;
        IShapePtr libraryGroup;
        RaiseIfFailed(m_runShapes->get_ItemByID(LIBRARY_ID, &libraryGroup), m_runShapes);
        if (libraryGroup)
            RaiseIfFailed(libraryGroup->get_Shapes(&library), libraryGroup);
        m_blocksBefore = ChildIds(library);
        m_blocksMade.clear();
    }
    struct MadeBlocks {
        CXAMLExport* self;
        ~MadeBlocks()
        {
            if (self->m_runShapes)
                for (long id : self->m_blocksMade)
                    self->m_runShapes.GetInterfacePtr()->DeleteByID(id);
            self->m_blocksMade.clear();
        }
    } madeBlocks{this};

    out << "<Canvas x:Name=\"parentCanvas\" \n";
    out << "\txmlns=\"http://schemas.microsoft.com/client/2007\" \n";
    out << "\txmlns:x=\"http://schemas.microsoft.com/winfx/2006/xaml\" \n";
    out << "\tWidth=\"700\" \n";
    out << "\tHeight=\"700\"> \n";
    out << "<Rectangle Visibility=\"Collapsed\" Tag=\"BoundingRectangle\" Canvas.Top=\"0\" Canvas.Left=\"0\" Width=\""
        << static_cast<double>((m_right - m_left) / m_canvasScale) << "\" Height=\""
        << static_cast<double>((m_top - m_bottom) / m_canvasScale) << "\"/>\n";

    const Transform identity;
    double reported = 0;
    for (long i = 1; i <= CountOf(drawing); ++i) {
        IShapePtr child;
        RaiseIfFailed(drawing->get_Item(i, &child), drawing);
        if (!child)
            continue;
        InsertShape(child, out, identity, nullptr, 0);
        const double fraction = static_cast<double>(i) / CountOf(drawing);
        if (fraction > reported) {
            reported = fraction;
            m_notifier.Notify(static_cast<long>(fraction * 100));
        }
    }
    out << "\n\n</Canvas>";
    if (!out.Close()) {
        m_state = E_FAIL;
        return FALSE;
    }
    return TRUE;
}

long CXAMLExport::BlockOfResource(IImageResource* resource)
{
    long block = 0;
    RaiseIfFailed(resource->ConvertToBlock(&block), resource);
    if (block && std::find(m_blocksBefore.begin(), m_blocksBefore.end(), block) == m_blocksBefore.end() &&
        std::find(m_blocksMade.begin(), m_blocksMade.end(), block) == m_blocksMade.end())
        m_blocksMade.push_back(block);
    return block;
}

CRealRect<float> CXAMLExport::GetYVEXMetafileRect(long mode) { return GetSiteMetafileRect(m_control, mode); }

HENHMETAFILE CXAMLExport::DrawYVEXOnMetafile(CSize& size, const char* file, int mode)
{
    return static_cast<HENHMETAFILE>(DrawSiteOnMetafile(m_control, size, file, mode, false));
}
