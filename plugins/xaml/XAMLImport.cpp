#include "XAMLImport.h"
#include <cstdio>
#include <cstdlib>
#include <memory>
#include "common/FreezeGuard.h"

namespace {

// The size of one read of the file.
const size_t kReadSize = 2048;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

} // namespace

PlotRecord PlotRecord::Parse(const std::string& text)
{
    PlotRecord record;
    record.text = text;
    const size_t n = text.size();
    size_t i = 0;
    while (i < n) {
        // To the next letter.
        while (i < n && !IsLetter(text[i]))
            ++i;
        if (i >= n)
            break;
        const char letter = text[i++];
        while (i < n && text[i] == ' ')
            ++i;
        // A sign belongs to the number it stands before.
        size_t first = i;
        if (i + 1 < n && (text[i] == '-' || text[i] == '+') && IsDigit(text[i + 1]))
            ++i;
        if (i >= n || !IsDigit(text[i]))
            continue;
        const size_t digits = i;
        while (i < n && (IsDigit(text[i]) || text[i] == '.'))
            ++i;
        const size_t length = i - digits;
        const std::string number = text.substr(first, i - first);
        switch (letter) {
        case 'D':
            record.D = length > 2 ? 0 : std::atoi(number.c_str());
            break;
        case 'G':
            record.G = length > 2 ? 0 : std::atoi(number.c_str());
            break;
        case 'X':
            record.X = length > 14 ? kNotGiven : static_cast<float>(std::strtoll(number.c_str(), nullptr, 10));
            break;
        case 'Y':
            record.Y = length > 14 ? kNotGiven : static_cast<float>(std::strtoll(number.c_str(), nullptr, 10));
            break;
        default:
            break;
        }
    }
    return record;
}

CXAMLImport::CXAMLImport(IYVEXControlPtr control, void* user, ProgressCallback callback)
    : CVImporter(control, user, callback)
{
}

CXAMLImport::CXAMLImport(IYVEXControlPtr control, const CProgressNotifier& notifier) : CVImporter(control, notifier) {}

bool CXAMLImport::ReadRecords(const wchar_t* path, std::vector<PlotRecord>& records)
{
    records.clear();
    std::unique_ptr<std::FILE, FileCloser> file(_wfopen(path, L"rt"));
    if (!file)
        return false;
    // The unfinished record of one read goes on in the next, whatever its length.
    std::string pending;
    char block[kReadSize];
    size_t got = 0;
    while ((got = std::fread(block, 1, sizeof block, file.get())) > 0) {
        pending.append(block, got);
        size_t start = 0;
        for (size_t star = pending.find('*'); star != std::string::npos; star = pending.find('*', start)) {
            records.push_back(PlotRecord::Parse(pending.substr(start, star - start)));
            start = star + 1;
        }
        pending.erase(0, start);
    }
    return true;
}

int CXAMLImport::Import(const CString& path, unsigned long, unsigned long)
{
    m_state = 0;
    if (!m_control)
        return FALSE;
    // A file that cannot be read adds nothing, not even the layer.
    if (!ReadRecords(afx::Wide(path).c_str(), m_records)) {
        m_state = E_FAIL;
        return FALSE;
    }
    CFreezeGuard frozen(m_control, true);
    IShapePtr root;
    RaiseIfFailed(m_shapes->get_ItemByID(BASE_ID, &root), m_shapes);
    if (!root)
        _com_issue_errorex(E_POINTER, m_shapes, m_shapes.GetIID());
    IShapeCollectionPtr drawing;
    RaiseIfFailed(root->get_Shapes(&drawing), root);
    long layer = 0;
    RaiseIfFailed(m_layerShapes->AddLayer(_bstr_t(L"XAML"), &layer), m_layerShapes);
    SetProgress(10);
    SetProgress(15);

    m_x = m_y = 0;
    long id = 0;
    long next = 0;
    for (const PlotRecord& record : m_records) {
        const float x = record.X == PlotRecord::kNotGiven ? m_x : record.X;
        const float y = record.Y == PlotRecord::kNotGiven ? m_y : record.Y;
        if (record.G == 54) {
            id = next = 0;
            m_reset = 0;
        } else if (record.D > 0) {
            if (record.D == 2) {
                id = next = 0;
                m_reset = 0;
            } else if (record.D == 1) {
                RaiseIfFailed(drawing->AddPolyline(m_x, m_y, x, y, &id), drawing);
                next = 3;
            }
            m_x = x;
            m_y = y;
        } else if (id > 0 && next > 0) {
            IShapePtr polyline;
            RaiseIfFailed(m_shapes->get_ItemByID(id, &polyline), m_shapes);
            if (!polyline)
                _com_issue_errorex(E_POINTER, m_shapes, m_shapes.GetIID());
            IPointCollectionPtr points;
            RaiseIfFailed(polyline->get_Points(&points), polyline);
            IPolylinePointCollectionPtr polylinePoints(points);
            if (!polylinePoints)
                _com_issue_errorex(E_NOINTERFACE, points, points.GetIID());
            long point = 0;
            RaiseIfFailed(polylinePoints->AddNewPoint(next, &point, x, y), polylinePoints);
            ++next;
            m_x = x;
            m_y = y;
        }
    }
    SetProgress(90);

    // The limits follow the drawing; a drawing without extent keeps the ones it had.
    try {
        float left = 0, top = 0, right = 0, bottom = 0;
        RaiseIfFailed(root->GetBoundingRect(&left, &top, &right, &bottom), root);
        RaiseIfFailed(m_site->put_DraftBottom(bottom), m_site);
        RaiseIfFailed(m_site->put_DraftLeft(left), m_site);
        RaiseIfFailed(m_site->put_DraftRight(right), m_site);
        RaiseIfFailed(m_site->put_DraftTop(top), m_site);
        RaiseIfFailed(m_site->put_GridBottom(bottom), m_site);
        RaiseIfFailed(m_site->put_GridLeft(left), m_site);
        RaiseIfFailed(m_site->put_GridRight(right), m_site);
        RaiseIfFailed(m_site->put_GridTop(top), m_site);
    } catch (const _com_error&) {
    }
    RaiseIfFailed(m_control->ZoomAll(), m_control);
    return TRUE;
}
