#include "interchange/DxfDocument.h"
#include "interchange/DrawingHeader.h"
#include "interchange/ImageResourceMap.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <set>

CDxfDocument::CDxfDocument() = default;

CDxfDocument::~CDxfDocument() { ClearReadingState(); }

void CDxfDocument::ClearReadingState()
{
    m_handles.clear();
    m_handles.shrink_to_fit();
    m_handlesOutOfOrder.clear();
    m_selfPoints.clear();
    m_linkedPoints.clear();
    ClearEntityState();
}

void CDxfDocument::ClearEntityState()
{
    // An entity without group 230 is drawn in the XY plane seen from above.
    m_extrusionZ = 1.0;
}

bool CDxfDocument::AddHandle(uint32_t handle, int shapeId)
{
    // A handle above every listed one cannot be in the map either: the map only takes handles
    // below the list's last.
    if (m_handles.empty() || handle > m_handles.back().first) {
        m_handles.emplace_back(handle, shapeId);
        return true;
    }
    if (FindHandle(handle, nullptr))
        return false;
    m_handlesOutOfOrder.emplace(handle, shapeId);
    return true;
}

bool CDxfDocument::FindHandle(uint32_t handle, int* shapeId) const
{
    auto it = std::lower_bound(m_handles.begin(), m_handles.end(), handle,
                               [](const std::pair<uint32_t, int>& entry, uint32_t key) { return entry.first < key; });
    int found = 0;
    if (it != m_handles.end() && it->first == handle) {
        found = it->second;
    } else {
        auto other = m_handlesOutOfOrder.find(handle);
        if (other == m_handlesOutOfOrder.end())
            return false;
        found = other->second;
    }
    if (shapeId)
        *shapeId = found;
    return true;
}

// ---- entries ----------------------------------------------------------------------------------

bool CDxfDocument::SaveToFile(const char* path)
{
    bool ok = m_file.Open(path, false) && Write();
    if (m_file.IsOpen() && !m_file.Close())
        ok = false;
    return ok;
}

bool CDxfDocument::SaveToStream(IStream* stream)
{
    bool ok = m_file.OpenStream(stream, false) && Write();
    if (m_file.IsOpen())
        m_file.Close();
    return ok;
}

int CDxfDocument::LoadFromFile(const char* path, bool closeOnFailure)
{
    const int opened = OpenForLoad(path, closeOnFailure);
    return opened == 1 ? Read() : opened;
}

int CDxfDocument::LoadFromStream(IStream* stream)
{
    const int opened = OpenStreamForLoad(stream);
    if (opened != 1)
        return opened;
    const int result = Read();
    if (result == 0)
        m_file.Close();
    return result;
}

int CDxfDocument::OpenForLoad(const char* path, bool closeOnFailure)
{
    if (!m_file.Open(path, true)) {
        if (closeOnFailure)
            m_file.Close();
        return 0;
    }
    return CheckToEof(closeOnFailure);
}

int CDxfDocument::OpenStreamForLoad(IStream* stream)
{
    if (!m_file.OpenStream(stream, true)) {
        m_file.Close();
        return 0;
    }
    return CheckToEof(true);
}

int CDxfDocument::CheckToEof(bool closeOnFailure)
{
    // Only the groups: nothing is handed on and no progress goes out.
    m_file.SetReadAhead(true);
    long groups = 0;
    while (m_file.ReadGroup()) {
        ++groups;
        if (m_file.GetCode() == 0 && m_file.GetKeywordIndex() == CDxfFile::kwEof)
            break;
    }
    m_file.SetReadAhead(false);
    if (groups == 0 && !m_file.HasError()) {
        if (closeOnFailure)
            m_file.Close();
        return 0;
    }
    if (!m_file.SawEof()) {
        NoteIncomplete();
        m_file.Close();
        return kIncomplete;
    }
    if (!m_file.Rewind()) {
        // A stream that cannot be moved back cannot be read a second time.
        if (closeOnFailure)
            m_file.Close();
        return 0;
    }
    return 1;
}

void CDxfDocument::NoteIncomplete()
{
    m_stop.binary = m_file.IsBinary();
    // A group cut off by the end of the data is the end of the data, not damage.
    m_stop.cut = !m_file.HasError() || m_file.ReachedEnd();
    if (m_stop.cut)
        m_stop.at = m_stop.binary ? std::max(m_file.GetDataEnd(), m_file.GetPosition()) : m_file.GetLineNumber();
    else
        m_stop.at = m_stop.binary ? m_file.GetErrorOffset() : m_file.GetErrorLine();
}

std::string CDxfDocument::DescribeIncomplete(const char* what) const
{
    const std::string where = (m_stop.binary ? "byte " : "line ") + std::to_string(m_stop.at);
    const std::string subject = std::string("The ") + (what ? what : "DXF file");
    if (m_stop.cut)
        return subject + " is cut short: it ends at " + where + " before its EOF group.";
    return subject + " is damaged at " + where + ".";
}

// ---- writing ----------------------------------------------------------------------------------

namespace {

const char* Keyword(int index) { return CDxfFile::KeywordFromIndex(index); }

// The STYLE entry's values after its name, and the ACAD application's tag of a font family name.
const int kStyleFontTag = 52242;

} // namespace

bool CDxfDocument::Subclassed() const
{
    return !m_parts.header || m_parts.header->versionIndex != CDrawingHeader::kVersionAC1009;
}

void CDxfDocument::Progress(long percent) { m_file.ReportProgress(percent, 0); }

bool CDxfDocument::Write()
{
    if (!m_file.IsOpenForWriting())
        return false;
    // The shapes' writers ask the document for the form of their entities.
    m_outputVersion = Subclassed() ? CDrawingHeader::kVersionAC1012 : CDrawingHeader::kVersionAC1009;
    m_file.SetTableHandles(Subclassed());
    try {
        if (m_parts.header)
            m_parts.header->Write(m_file);
        Progress(5);
        WriteTablesSection();
        Progress(20);
        if (m_parts.blocks)
            WriteSection(CDxfFile::kwBlocks, m_parts.blocks);
        Progress(50);
        if (m_parts.root)
            WriteSection(CDxfFile::kwEntities, m_parts.root);
        Progress(95);
        if (Subclassed())
            WriteObjectsSection();
        Progress(96);
        m_file.WriteStringGroup(0, Keyword(CDxfFile::kwEof));
        // Every handle is out: $HANDSEED takes its value.
        m_file.FinishHandleSeed();
    } catch (...) {
        m_file.Close();
        throw;
    }
    return m_file.Close();
}

void CDxfDocument::WriteSection(int keyword, CDxfDocumentPart* part)
{
    m_file.WriteStringGroup(0, Keyword(CDxfFile::kwSection));
    m_file.WriteStringGroup(2, Keyword(keyword));
    part->WriteDxfPart(m_file);
    m_file.WriteStringGroup(0, Keyword(CDxfFile::kwEndsec));
}

void CDxfDocument::WriteTablesSection()
{
    m_file.WriteStringGroup(0, Keyword(CDxfFile::kwSection));
    m_file.WriteStringGroup(2, Keyword(CDxfFile::kwTables));
    if (m_parts.viewports) {
        m_file.WriteStringGroup(0, Keyword(CDxfFile::kwTable));
        m_file.WriteStringGroup(2, Keyword(CDxfFile::kwVport));
        m_file.WriteTableHandle();
        m_parts.viewports->WriteDxfPart(m_file);
        m_file.WriteStringGroup(0, Keyword(CDxfFile::kwEndtab));
    }
    if (m_parts.lineTypes)
        m_parts.lineTypes->WriteDxfPart(m_file);
    if (m_parts.layers) {
        m_file.WriteStringGroup(0, Keyword(CDxfFile::kwTable));
        m_file.WriteStringGroup(2, Keyword(CDxfFile::kwLayer));
        m_file.WriteTableHandle();
        m_parts.layers->WriteDxfPart(m_file);
        m_file.WriteStringGroup(0, Keyword(CDxfFile::kwEndtab));
    }
    WriteStyleTable();
    WriteAppIdTable();
    m_file.WriteStringGroup(0, Keyword(CDxfFile::kwEndsec));
}

void CDxfDocument::WriteStyleTable()
{
    const bool subclassed = Subclassed();
    m_file.WriteStringGroup(0, Keyword(CDxfFile::kwTable));
    m_file.WriteStringGroup(2, Keyword(CDxfFile::kwStyle));
    m_file.WriteTableHandle();
    if (subclassed)
        m_file.WriteStringGroup(100, "AcDbSymbolTable");
    m_file.WriteIntGroup(70, 1);
    m_file.WriteStringGroup(0, Keyword(CDxfFile::kwStyle));
    m_file.WriteTableHandle();
    m_file.WriteStringGroup(2, "STANDARD");
    if (subclassed)
        m_file.WriteStringGroup(100, "AcDbTextStyleTableRecord");
    m_file.WriteIntGroup(70, 0);
    m_file.WriteRealGroup(40, 0.0);
    m_file.WriteRealGroup(41, 1.0);
    m_file.WriteRealGroup(50, 0.0);
    m_file.WriteIntGroup(71, 0);
    m_file.WriteRealGroup(42, 10.0);
    const std::string font = m_parts.root ? m_parts.root->GetDefaultFontName() : std::string("txt");
    m_file.WriteStringGroup(3, font.c_str());
    m_file.WriteStringGroup(4, "");
    if (subclassed && m_parts.root) {
        m_file.WriteStringGroup(1001, "ACAD");
        m_file.WriteStringGroup(1000, font.c_str());
        m_file.WriteIntGroup(1071, kStyleFontTag);
    }
    m_file.WriteStringGroup(0, Keyword(CDxfFile::kwEndtab));
}

void CDxfDocument::WriteAppIdTable()
{
    const bool subclassed = Subclassed();
    m_file.WriteStringGroup(0, Keyword(CDxfFile::kwTable));
    m_file.WriteStringGroup(2, Keyword(CDxfFile::kwAppid));
    char handle[16];
    std::snprintf(handle, sizeof handle, "%x", static_cast<unsigned>(m_file.NextHandle()));
    m_file.WriteStringGroup(5, handle);
    if (subclassed)
        m_file.WriteStringGroup(100, "AcDbSymbolTable");
    for (const char* name : {Keyword(CDxfFile::kwYvexApplication), "ACAD"}) {
        m_file.WriteStringGroup(0, Keyword(CDxfFile::kwAppid));
        m_file.WriteTableHandle();
        if (subclassed) {
            m_file.WriteStringGroup(100, "AcDbSymbolTableRecord");
            m_file.WriteStringGroup(100, "AcDbRegAppTableRecord");
        }
        m_file.WriteStringGroup(2, name);
        m_file.WriteIntGroup(70, 0);
    }
    m_file.WriteStringGroup(0, Keyword(CDxfFile::kwEndtab));
}

void CDxfDocument::WriteHandleGroup(int code, uint32_t handle)
{
    // An object's own handle (5) is a text group; the references (330, 350) are handle groups.
    if (CDxfFile::ClassOf(code) == CDxfFile::vcText) {
        char text[16];
        std::snprintf(text, sizeof text, "%X", static_cast<unsigned>(handle));
        m_file.WriteStringGroup(code, text);
        return;
    }
    m_file.SetCode(code);
    m_file.SetHandle(handle);
    m_file.WriteGroup();
}

void CDxfDocument::WriteObjectsSection()
{
    m_file.WriteStringGroup(0, Keyword(CDxfFile::kwSection));
    m_file.WriteStringGroup(2, Keyword(CDxfFile::kwObjects));
    // Readers take the first object for the root dictionary, which names the drawing's
    // dictionaries: the one of groups (empty: we keep no DXF groups) and the one that owns the
    // image definitions. Each dictionary names its owner; the root has none.
    const bool images = m_parts.images && !m_imagesOff;
    const uint32_t root = m_file.NextHandle();
    const uint32_t groups = m_file.NextHandle();
    const uint32_t imageDictionary = images ? m_file.NextHandle() : 0;
    m_file.WriteStringGroup(0, "DICTIONARY");
    WriteHandleGroup(5, root);
    m_file.WriteStringGroup(100, "AcDbDictionary");
    m_file.WriteStringGroup(3, "ACAD_GROUP");
    WriteHandleGroup(350, groups);
    if (images) {
        m_file.WriteStringGroup(3, "ACAD_IMAGE_DICT");
        WriteHandleGroup(350, imageDictionary);
    }
    m_file.WriteStringGroup(0, "DICTIONARY");
    WriteHandleGroup(5, groups);
    WriteHandleGroup(330, root);
    m_file.WriteStringGroup(100, "AcDbDictionary");
    if (!images) {
        m_file.WriteStringGroup(0, Keyword(CDxfFile::kwEndsec));
        return;
    }
    // The definitions go first: only those written are entered, each under a name of its own.
    std::vector<std::pair<std::string, uint32_t>> written;
    m_parts.images->WriteImageDefsToDxf(m_file, m_imageHandleBase, true, imageDictionary, &written);
    m_file.WriteStringGroup(0, "DICTIONARY");
    WriteHandleGroup(5, imageDictionary);
    WriteHandleGroup(330, root);
    m_file.WriteStringGroup(100, "AcDbDictionary");
    std::set<std::string> names;
    for (const auto& entry : written) {
        std::string name = entry.first.empty() ? std::string("image") : entry.first;
        for (int n = 2; !names.insert(name).second; ++n)
            name = (entry.first.empty() ? std::string("image") : entry.first) + "_" + std::to_string(n);
        m_file.WriteStringGroup(3, name.c_str());
        WriteHandleGroup(350, entry.second);
    }
    m_file.WriteStringGroup(0, Keyword(CDxfFile::kwEndsec));
}

// ---- reading ----------------------------------------------------------------------------------

int CDxfDocument::Read()
{
    if (!m_file.IsOpenForReading())
        return 0;
    long groups = 0;
    while (m_file.ReadGroup()) {
        ++groups;
        // The EOF group ends the drawing, whatever follows it.
        if (m_file.GetCode() == 0 && m_file.GetKeywordIndex() == CDxfFile::kwEof)
            break;
        if (m_file.GetCode() != 0 || m_file.GetKeywordIndex() != CDxfFile::kwSection)
            continue;
        if (!m_file.ReadGroup(nullptr, true))
            break;
        ++groups;
        if (m_file.GetCode() != 2)
            continue;
        switch (m_file.GetKeywordIndex()) {
        case CDxfFile::kwBlocks:
            if (m_parts.blocks)
                m_parts.blocks->ReadDxfPart(m_file);
            break;
        case CDxfFile::kwEntities:
            if (m_parts.root)
                m_parts.root->ReadDxfPart(m_file);
            break;
        case CDxfFile::kwHeader:
            if (m_parts.header) {
                m_parts.header->Read(m_file);
                if (m_parts.header->versionIndex == CDrawingHeader::kVersionUnknown) {
                    m_file.Close();
                    return kVersionRefused;
                }
            }
            break;
        case CDxfFile::kwObjects:
            ReadObjectsSection();
            break;
        case CDxfFile::kwTables:
            ReadTablesSection();
            break;
        default:
            break;
        }
    }
    if (groups > 0 && !m_file.SawEof()) {
        NoteIncomplete();
        m_file.Close();
        return kIncomplete;
    }
    m_file.Close();
    return groups > 0 ? 1 : 0;
}

void CDxfDocument::ReadTablesSection()
{
    while (m_file.ReadGroup()) {
        if (m_file.GetCode() != 0)
            continue;
        const int keyword = m_file.GetKeywordIndex();
        if (keyword == CDxfFile::kwEndsec)
            return;
        if (keyword == CDxfFile::kwTable)
            ReadTable();
    }
}

void CDxfDocument::ReadTable()
{
    if (!m_file.ReadGroup(nullptr, true))
        return;
    if (m_file.GetCode() != 2) {
        m_file.UngetGroup();
        return;
    }
    switch (m_file.GetKeywordIndex()) {
    case CDxfFile::kwLayer:
        if (m_parts.layers)
            m_parts.layers->ReadDxfPart(m_file);
        break;
    case CDxfFile::kwLtype:
        if (m_parts.lineTypes)
            m_parts.lineTypes->ReadDxfPart(m_file);
        break;
    case CDxfFile::kwStyle:
        ReadStyleTable();
        break;
    case CDxfFile::kwVport:
        if (m_parts.viewports)
            m_parts.viewports->ReadDxfPart(m_file);
        break;
    default:
        break;
    }
}

void CDxfDocument::ReadStyleTable()
{
    while (m_file.ReadGroup()) {
        const int code = m_file.GetCode();
        if (code == 0 && m_file.GetKeywordIndex() == CDxfFile::kwEndtab)
            return;
        if (!m_parts.header)
            continue;
        if (code == 3) {
            // A font file name loses its extension ("romans.shx" names the font romans).
            std::string name = m_file.GetText();
            if (name.size() > 4 && name[name.size() - 4] == '.')
                name.resize(name.size() - 4);
            if (m_parts.root)
                m_parts.root->SetDefaultFontName(name.c_str());
        } else if (code == 1001 && std::strcmp(m_file.GetText(), "ACAD") == 0) {
            // The family name the ACAD application keeps wins over the file name before it.
            if (!m_file.ReadGroup())
                return;
            if (m_file.GetCode() == 1000) {
                if (m_parts.root)
                    m_parts.root->SetDefaultFontName(m_file.GetText());
            } else {
                m_file.UngetGroup();
            }
        }
    }
}

void CDxfDocument::ReadObjectsSection()
{
    while (m_file.ReadGroup()) {
        if (m_file.GetCode() != 0)
            continue;
        const int keyword = m_file.GetKeywordIndex();
        if (keyword == CDxfFile::kwEndsec)
            return;
        if (keyword == CDxfFile::kwSortEntsTable)
            ReadSortEntsTable();
        else if (m_parts.images && m_file.GetText() && std::strcmp(m_file.GetText(), "IMAGEDEF") == 0)
            m_parts.images->ReadImageDefFromDxf(m_file);
    }
}

void CDxfDocument::ReadSortEntsTable()
{
    uint32_t entity = 0;
    while (m_file.ReadGroup()) {
        const int code = m_file.GetCode();
        if (code == 0) {
            m_file.UngetGroup();
            return;
        }
        if (!m_parts.drawOrder)
            continue;
        if (code == 331) {
            entity = m_file.GetHandle();
        } else if (code == 5 && entity >= 1) {
            const uint32_t sortHandle = CDxfFile::ParseHandle(m_file.GetText(), std::strlen(m_file.GetText()));
            int shapeId = 0;
            if (FindHandle(entity, &shapeId))
                (*m_parts.drawOrder)[shapeId] = sortHandle;
        }
    }
}
