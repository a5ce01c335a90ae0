#include "common/NotifierHelper.h"
#include <atomic>
#include <climits>

namespace {

std::atomic<CVNotifierHelper::TickSource> g_tickSource{nullptr};

DWORD Now()
{
    const CVNotifierHelper::TickSource source = g_tickSource.load();
    return source ? source() : GetTickCount();
}

// The system groups that hold the blocks and the layers.
const long kLibraryGroup = LIBRARY_ID;
const long kLayersGroup = LAYERS_ID;

IShapeCollectionPtr ChildrenOf(const IShapeCollectionPtr& shapes, long id)
{
    IShapePtr group;
    RaiseIfFailed(shapes->get_ItemByID(id, &group), shapes);
    if (!group)
        _com_issue_errorex(E_POINTER, shapes, shapes.GetIID());
    IShapeCollectionPtr children;
    RaiseIfFailed(group->get_Shapes(&children), group);
    return children;
}

} // namespace

CVNotifierHelper::CVNotifierHelper(IYVEXControlPtr control, void* user, ProgressCallback callback)
    : m_notifier(user, callback)
{
    Bind(control);
}

CVNotifierHelper::CVNotifierHelper(IYVEXControlPtr control, const CProgressNotifier& notifier)
    : m_notifier(notifier)
{
    Bind(control);
}

void CVNotifierHelper::Bind(IYVEXControlPtr control)
{
    m_control = control;
    if (!m_control)
        return;
    // The control hands the request to its inner site; E_NOINTERFACE means a control without one.
    ISite* site = nullptr;
    const HRESULT hr = m_control->QueryInterface(__uuidof(ISite), reinterpret_cast<void**>(&site));
    if (FAILED(hr) && hr != E_NOINTERFACE)
        _com_issue_errorex(hr, m_control, m_control.GetIID());
    m_site.Attach(SUCCEEDED(hr) ? site : nullptr);
    if (!m_site) {
        m_control = nullptr;
        return;
    }
    IShapeCollectionPtr shapes;
    RaiseIfFailed(m_site->get_Shapes(&shapes), m_site);
    if (!shapes) {
        m_site = nullptr;
        m_control = nullptr;
        return;
    }
    m_shapes = shapes;
    m_libraryShapes = ChildrenOf(m_shapes, kLibraryGroup);
    m_layerShapes = ChildrenOf(m_shapes, kLayersGroup);
}

int CVNotifierHelper::GetState() { return m_state; }

CString CVNotifierHelper::GetLastErrorText()
{
    const DWORD code = GetLastError();
    char* text = nullptr;
    const DWORD n = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    CString result;
    if (n && text)
        result = CString(text, static_cast<int>(n));
    if (text)
        LocalFree(text);
    return result;
}

void CVNotifierHelper::SetProgress(int percent)
{
    const double span = static_cast<double>(m_rangeEnd) - m_rangeStart;
    int value = m_rangeStart;
    if (span > 0) {
        // Truncated toward zero, kept inside what an int holds.
        double exact = m_rangeStart + span * percent * 0.01;
        if (exact > INT_MAX)
            exact = INT_MAX;
        if (exact < INT_MIN)
            exact = INT_MIN;
        value = static_cast<int>(exact);
    }
    if (value == m_lastValue && Now() - m_lastReportTime < 1000)
        return;
    m_lastValue = value;
    m_notifier.Notify(value);
    m_lastReportTime = Now();
}

CVNotifierHelper::TickSource CVNotifierHelper::SetTickSource(TickSource source) { return g_tickSource.exchange(source); }
