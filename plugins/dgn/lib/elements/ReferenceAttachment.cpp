#include "ReferenceAttachment.h"

#include "DesignFile.h"
#include "DgnString.h"
#include "DgnStringFunctions.h"
#include "ElementLinkages.h"
#include "EntityContainer.h"
#include "EntityIterator.h"
#include "FileAccess.h"
#include "GeometrySink.h"
#include "LittleEndian.h"
#include "TransformStack.h"
#include "ValueEncodings.h"
#include "elements/LevelMaskElement.h"
#include "linkages/LinkageText.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

namespace dgn {

namespace {

constexpr std::uint16_t kType100 = 100;
// Offsets in the body after the child count (the body offsets less 4).
constexpr std::uint32_t kRefWord4At = 16;
constexpr std::uint32_t kRefFlagsAt = 20;
constexpr std::uint32_t kLevelWordsAt = 28;
constexpr std::uint32_t kMasterOriginAt = 132;
constexpr std::uint32_t kReferenceOriginAt = 156;
constexpr std::uint32_t kRotationAt = 180;
constexpr std::uint32_t kScaleAt = 252;
constexpr std::uint32_t kValuesAt = 276;
constexpr std::uint32_t kNestDepthAt = 324;
constexpr std::uint32_t kClipCountAt = 330;
constexpr std::uint32_t kFileNumberAt = 8;
constexpr std::uint32_t kFixedBytes = 336;
// Flag: scale by the ratio of the two files' units.
constexpr std::uint32_t kScaleByUnits = 0x2000;
constexpr std::uint32_t kFileNameKey = 31;
constexpr std::uint32_t kOtherNameKey = 3;
constexpr std::uint32_t kDescriptionKey = 2;
constexpr std::uint32_t kModelNameKey = 21;
// The V7 record.
constexpr std::uint32_t kV7FileSpecAt = 36;
constexpr std::uint32_t kV7FileSpecEnd = 103;
constexpr std::uint32_t kV7LogicalAt = 292;
constexpr std::uint32_t kV7LogicalEnd = 316;
constexpr std::uint32_t kV7DescriptionAt = 316;
constexpr std::uint32_t kV7DescriptionEnd = 492;
constexpr std::uint32_t kV7ClipAt = 492;

// A counted text of a V7 record: the length word at at, the characters after it, at most up to
// end (the next field).
std::string CountedText(const std::uint8_t* record, std::uint32_t at, std::uint32_t end)
{
    std::uint32_t n = LoadU16(record + at);
    if (n > end - at - 2)
        n = end - at - 2;
    std::string s;
    for (std::uint32_t i = 0; i < n && record[at + 2 + i]; ++i)
        s.push_back(static_cast<char>(record[at + 2 + i]));
    return s;
}

// A wide copy of a string's text on the heap, or null.
char16_t* WideCopy(CDgnString* s)
{
    const std::uint32_t n = s ? s->CharCount() : 0;
    char16_t* w = static_cast<char16_t*>(std::malloc((n + 1) * sizeof(char16_t)));
    if (!w)
        return nullptr;
    if (s && n)
        s->CopyToWide(w);
    w[n] = 0;
    return w;
}

} // namespace

CReferenceAttachment::CReferenceAttachment(CDesignFile* file) : CFixedBodyElement(file)
{
    m_type = kType100;
    m_list = kControlList;
    StoreU32(m_body, 1);
    StoreU32(m_body + kFileNumberAt, 1);
    StoreU32(m_body + kRefWord4At, 15);
    StoreU32(m_body + kRefFlagsAt, 0x12082);
    for (int i = 0; i < 3; ++i)
        StoreF64(m_body + kRotationAt + 8 * (4 * i), 1.0);
    StoreF64(m_body + kScaleAt, 1.0);
    m_fileName = CDgnString::Create();
    m_modelName = CDgnString::Create();
}

CReferenceAttachment::~CReferenceAttachment()
{
    Detach();
    std::free(m_clipPoints);
    std::free(m_resolvedPath);
    delete m_fileName;
    delete m_modelName;
}

int CReferenceAttachment::GetType() const { return kType100; }
std::uint8_t* CReferenceAttachment::GetRefData() { return m_body; }
CDgnString* CReferenceAttachment::GetFileName() const { return m_fileName; }
CDgnString* CReferenceAttachment::GetModelName() const { return m_modelName; }
std::uint32_t CReferenceAttachment::FixedBytes() const { return kFixedBytes + 16 * m_clipCount; }

AttachmentData CReferenceAttachment::GetAttachmentData() const
{
    AttachmentData d = {};
    d.originX = LoadF64(m_body + kMasterOriginAt);
    d.originY = LoadF64(m_body + kMasterOriginAt + 8);
    d.offsetX = LoadF64(m_body + kReferenceOriginAt);
    d.offsetY = LoadF64(m_body + kReferenceOriginAt + 8);
    // Kept column by column, as the V7 record has it.
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 3; ++column)
            d.rotation[3 * row + column] = LoadF64(m_body + kRotationAt + 8 * (3 * column + row));
    }
    d.scale = LoadF64(m_body + kScaleAt);
    return d;
}

const double* CReferenceAttachment::GetClipPoints(std::uint32_t* count) const
{
    if (count)
        *count = m_clipCount;
    return m_clipPoints;
}

bool CReferenceAttachment::SetClip(const double* points, std::uint32_t count)
{
    double* copy = count ? static_cast<double*>(std::malloc(2 * sizeof(double) * count)) : nullptr;
    if (count && !copy)
        return false;
    if (count)
        std::memcpy(copy, points, 2 * sizeof(double) * count);
    std::free(m_clipPoints);
    m_clipPoints = copy;
    m_clipCount = count;
    return true;
}

bool CReferenceAttachment::ReadFixed(const std::uint8_t* b, std::uint32_t available)
{
    if (available < kFixedBytes)
        return false;
    SetChildCount(static_cast<std::int32_t>(LoadU32(b)));
    std::memcpy(m_body, b + 4, sizeof m_body);
    std::uint32_t count = LoadU16(m_body + kClipCountAt);
    if (count > (available - kFixedBytes) / 16)
        count = (available - kFixedBytes) / 16;
    double* points = count ? static_cast<double*>(std::malloc(16 * static_cast<std::size_t>(count))) : nullptr;
    if (count && !points)
        return false;
    for (std::uint32_t i = 0; i < 2 * count; ++i)
        points[i] = LoadF64(b + kFixedBytes + 8 * i);
    const bool ok = SetClip(points, count);
    std::free(points);
    StoreU16(m_body + kClipCountAt, static_cast<std::uint16_t>(m_clipCount));
    return ok;
}

void CReferenceAttachment::WriteFixed(std::uint8_t* out) const
{
    StoreU32(out, static_cast<std::uint32_t>(ChildCount()));
    std::memcpy(out + 4, m_body, sizeof m_body);
    StoreU16(out + 4 + kClipCountAt, static_cast<std::uint16_t>(m_clipCount));
    for (std::uint32_t i = 0; i < 2 * m_clipCount; ++i)
        StoreF64(out + kFixedBytes + 8 * i, m_clipPoints[i]);
}

bool CReferenceAttachment::ReadV8(const std::uint8_t** cursor, std::uint32_t length)
{
    if (!m_fileName || !m_modelName || !CFixedBodyElement::ReadV8(cursor, length))
        return false;
    Detach();
    m_fileName->Clear();
    m_modelName->Clear();
    m_nameFromLinkage31 = 1;
    if (m_attributes) {
        if (!m_attributes->GetStringLinkage(kFileNameKey, *m_fileName) || m_fileName->CharCount() == 0) {
            m_nameFromLinkage31 = 0;
            m_attributes->GetStringLinkage(kOtherNameKey, *m_fileName);
        }
        m_attributes->GetStringLinkage(kModelNameKey, *m_modelName);
    }
    return true;
}

bool CReferenceAttachment::ReadV7(const std::uint8_t** cursor, std::uint32_t length)
{
    const std::uint8_t* record = *cursor;
    const std::uint32_t n = V7RecordLength(record, length, kV7ClipAt + 2);
    if (!n || !m_fileName || !IElement::ReadV7(cursor, length))
        return false;
    Detach();
    SetChildCount(0);
    m_fileName->Set(CountedText(record, kV7FileSpecAt, kV7FileSpecEnd).c_str());
    m_nameFromLinkage31 = 1;
    StoreU32(m_body + kFileNumberAt, record[103]);
    StoreU32(m_body + kRefWord4At, LoadU16(record + 104));
    StoreU32(m_body + kRefFlagsAt, LoadU16(record + 106));
    for (int i = 0; i < 8; ++i)
        StoreU32(m_body + kLevelWordsAt + 12 * i, LoadU16(record + 108 + 2 * i));
    std::memcpy(m_viewLevelBits, record + 124, sizeof m_viewLevelBits);
    const std::uint8_t* p = record + 188;
    for (int i = 0; i < 3; ++i)
        StoreF64(m_body + kMasterOriginAt + 8 * i, ReadV7Int32(&p));
    double rotation[9] = {};
    const bool threeD = m_designFile && m_designFile->Is3d();
    if (threeD) {
        for (double& v : rotation)
            v = ReadVaxDouble(&p);
    } else {
        // Column by column: r0c0, r1c0, r0c1, r1c1.
        rotation[0] = ReadVaxDouble(&p);
        rotation[1] = ReadVaxDouble(&p);
        rotation[3] = ReadVaxDouble(&p);
        rotation[4] = ReadVaxDouble(&p);
        rotation[8] = 1.0;
    }
    for (int i = 0; i < 9; ++i)
        StoreF64(m_body + kRotationAt + 8 * i, rotation[i]);
    p = record + 272;
    const double scale = ReadVaxDouble(&p);
    for (int i = 0; i < 3; ++i)
        StoreF64(m_body + kScaleAt + 8 * i, scale);
    for (int i = 0; i < 3; ++i)
        StoreF64(m_body + kReferenceOriginAt + 8 * i, ReadV7Int32(&p));
    for (int i = 0; i < 6; ++i)
        StoreF64(m_body + kValuesAt + 8 * i, i == 5 ? 1.0 : 0.0);
    StoreU16(m_body + kNestDepthAt, 1);
    if (m_attributes) {
        const std::string logical = CountedText(record, kV7LogicalAt, kV7LogicalEnd);
        if (!logical.empty())
            m_attributes->SetStringLinkage(kOtherNameKey, logical.c_str(), static_cast<std::uint32_t>(logical.size()));
        const std::string description = CountedText(record, kV7DescriptionAt, kV7DescriptionEnd);
        if (!description.empty())
            m_attributes->SetStringLinkage(kDescriptionKey, description.c_str(), static_cast<std::uint32_t>(description.size()));
    }
    // Clip points: as many as the record holds.
    std::uint32_t count = LoadU16(record + kV7ClipAt);
    if (count > (n - kV7ClipAt - 2) / 8)
        count = (n - kV7ClipAt - 2) / 8;
    double* points = count ? static_cast<double*>(std::malloc(16 * static_cast<std::size_t>(count))) : nullptr;
    if (count && points) {
        p = record + kV7ClipAt + 2;
        for (std::uint32_t i = 0; i < 2 * count; ++i)
            points[i] = ReadV7Int32(&p);
        SetClip(points, count);
    } else {
        SetClip(nullptr, 0);
    }
    std::free(points);
    m_type = kType100;
    Touch();
    // Per-view masks, unless every level is on everywhere.
    bool allOn = true;
    for (std::uint8_t b : m_viewLevelBits)
        allOn = allOn && b == 0xFF;
    for (int view = 0; !allOn && view < 8; ++view) {
        CLevelMaskElement* mask = new (std::nothrow) CLevelMaskElement(m_designFile);
        if (!mask)
            break;
        mask->SetModel(0);
        mask->SetList(kControlList);
        mask->SetMask(static_cast<std::uint16_t>(view), 64, m_viewLevelBits + 8 * view);
        mask->Touch();
        AddChild(mask);
    }
    *cursor = record + n;
    return true;
}

void CReferenceAttachment::Touch()
{
    StoreU16(m_body + kClipCountAt, static_cast<std::uint16_t>(m_clipCount));
    if (m_fileName && m_fileName->CharCount() > 0 && m_attributes) {
        // A name without a dot names a design file.
        char16_t* w = WideCopy(m_fileName);
        bool dot = false;
        for (const char16_t* c = w; c && *c; ++c)
            dot = dot || *c == u'.';
        if (w && !dot) {
            if (m_fileName->IsWide())
                *m_fileName += u".dgn";
            else
                *m_fileName += ".dgn";
        }
        std::free(w);
        if (!m_nameFromLinkage31) {
            m_attributes->SetStringLinkage(kOtherNameKey, *m_fileName);
        } else {
            m_attributes->SetStringLinkage(kFileNameKey, *m_fileName);
            // The other form: narrow for a wide name, wide for a narrow one.
            CDgnString* other = CDgnString::Create();
            if (other) {
                if (m_fileName->IsWide()) {
                    const std::uint32_t n = m_fileName->CharCount();
                    char* ansi = static_cast<char*>(std::malloc(2 * static_cast<std::size_t>(n) + 1));
                    if (ansi) {
                        m_fileName->CopyToAnsi(ansi);
                        other->Set(ansi);
                        std::free(ansi);
                    }
                } else if (char16_t* wide = WideCopy(m_fileName)) {
                    other->SetWide(wide);
                    std::free(wide);
                }
                m_attributes->SetStringLinkage(kOtherNameKey, *other);
                delete other;
            }
        }
    }
    if (m_modelName && m_modelName->CharCount() > 0 && m_attributes)
        m_attributes->SetStringLinkage(kModelNameKey, *m_modelName);
    CFixedBodyElement::Touch();
}

void CReferenceAttachment::Detach()
{
    if (m_attachedFile && !m_failed)
        m_attachedFile->Release();
    m_attachedFile = nullptr;
    m_failed = false;
    m_selfReference = 0;
}

void CReferenceAttachment::SetFileName(const char* name)
{
    Detach();
    m_nameFromLinkage31 = 1;
    if (m_fileName)
        m_fileName->Set(name);
    Touch();
}

CDesignFile* CReferenceAttachment::GetAttachedFile()
{
    if (m_failed)
        return nullptr;
    if (m_attachedFile)
        return m_attachedFile;
    char16_t* path = WideCopy(m_fileName);
    if (!path || !path[0]) {
        std::free(path);
        m_failed = true;
        return nullptr;
    }
    if (!FileExistsW(path)) {
        const char16_t* name = FindFileNameW(path);
        const char16_t* host = m_designFile ? m_designFile->GetFilePath() : u"";
        const std::size_t folder = static_cast<std::size_t>(FindFileNameW(host) - host);
        const std::size_t nameUnits = StrLenW(name);
        char16_t* inFolder = static_cast<char16_t*>(std::malloc((folder + nameUnits + 1) * sizeof(char16_t)));
        if (inFolder) {
            std::memcpy(inFolder, host, folder * sizeof(char16_t));
            std::memcpy(inFolder + folder, name, (nameUnits + 1) * sizeof(char16_t));
        }
        char16_t* next = nullptr;
        if (inFolder && FileExistsW(inFolder)) {
            next = inFolder;
        } else {
            std::free(inFolder);
            next = static_cast<char16_t*>(std::malloc((nameUnits + 1) * sizeof(char16_t)));
            if (next)
                std::memcpy(next, name, (nameUnits + 1) * sizeof(char16_t));
        }
        std::free(path);
        path = next;
    }
    std::free(m_resolvedPath);
    m_resolvedPath = path;
    if (!path) {
        m_failed = true;
        return nullptr;
    }
    if (CDesignFile* open = FindOpenDesignFile(path)) {
        open->AddRef();
        m_attachedFile = open;
        m_selfReference = open == m_designFile ? 1 : 0;
        return open;
    }
    m_attachedFile = FileExistsW(path) ? OpenDesignFileW(path) : nullptr;
    m_failed = m_attachedFile == nullptr;
    return m_attachedFile;
}

bool CReferenceAttachment::BeginDisplay(IGeometrySink* sink)
{
    if (m_displayDepth != 0 || !sink)
        return false;
    CDesignFile* file = GetAttachedFile();
    if (!file)
        return false;
    ++m_displayDepth;
    if (CTransformStack* stack = sink->TransformStack()) {
        stack->Push();
        // Points of the referenced file: scaled, rotated, then moved to the reference origin.
        double scale = LoadF64(m_body + kScaleAt);
        if ((LoadU32(m_body + kRefFlagsAt) & kScaleByUnits) && m_designFile) {
            const double theirs = file->GetUnitsPerMaster(0);
            if (theirs != 0.0)
                scale *= m_designFile->GetUnitsPerMaster(m_model) / theirs;
        }
        double m[16] = {};
        for (int row = 0; row < 3; ++row) {
            for (int column = 0; column < 3; ++column)
                m[4 * row + column] = scale * LoadF64(m_body + kRotationAt + 8 * (3 * column + row));
        }
        for (int i = 0; i < 3; ++i)
            m[12 + i] = LoadF64(m_body + kReferenceOriginAt + 8 * i);
        m[15] = 1.0;
        stack->PreMultiply(m);
    }
    sink->SetDesignFile(file);
    return true;
}

void CReferenceAttachment::EndDisplay(IGeometrySink* sink)
{
    if (!sink || m_displayDepth == 0)
        return;
    if (CTransformStack* stack = sink->TransformStack())
        stack->Pop();
    sink->SetDesignFile(m_designFile);
    --m_displayDepth;
}

void CReferenceAttachment::EmitGeometry(CEntityIterator*, IGeometrySink* sink)
{
    if (!BeginDisplay(sink))
        return;
    CDesignFile* file = m_attachedFile;
    int model = 0;
    if (m_modelName && m_modelName->CharCount() > 0) {
        const std::uint32_t n = m_modelName->CharCount();
        char* ansi = static_cast<char*>(std::malloc(2 * static_cast<std::size_t>(n) + 1));
        if (ansi) {
            m_modelName->CopyToAnsi(ansi);
            const int found = file->FindModelByName(ansi);
            model = found < 0 ? 0 : found;
            std::free(ansi);
        }
    }
    if (CEntityIterator* it = file->CreateChildIterator(nullptr)) {
        it->SetModelFilter(model);
        const std::int32_t nestDepth = LoadU16(m_body + kNestDepthAt);
        while (IEntity* e = it->Next()) {
            if (e->GetKind() != kEntityElement)
                continue;
            if (e->GetType() == kType100 && m_displayDepth >= nestDepth)
                continue;
            static_cast<IElement*>(e)->EmitGeometry(nullptr, sink);
        }
        delete it;
    }
    EndDisplay(sink);
}

IElement* CReferenceAttachment::GetLevelMask(int viewNumber)
{
    CEntityIterator* it = CreateChildIterator(nullptr);
    if (!it)
        return nullptr;
    IElement* found = nullptr;
    while (IEntity* e = it->Next()) {
        CLevelMaskElement* mask = e->GetType() == 99 ? dynamic_cast<CLevelMaskElement*>(e) : nullptr;
        if (mask && mask->GetViewNumber() == viewNumber) {
            found = mask;
            break;
        }
    }
    delete it;
    return found;
}

IElement* CReferenceAttachment::Clone(CDesignFile* target, bool removeSource)
{
    CReferenceAttachment* copy = new (std::nothrow) CReferenceAttachment(target ? target : m_designFile);
    if (!copy || !copy->m_fileName || !copy->m_modelName || !copy->SetClip(m_clipPoints, m_clipCount)) {
        delete copy;
        return nullptr;
    }
    std::memcpy(copy->m_body, m_body, sizeof m_body);
    std::memcpy(copy->m_viewLevelBits, m_viewLevelBits, sizeof m_viewLevelBits);
    copy->m_fileName->Assign(*m_fileName);
    copy->m_modelName->Assign(*m_modelName);
    copy->m_nameFromLinkage31 = m_nameFromLinkage31;
    return FinishClone(copy, target, removeSource);
}

void CReferenceAttachment::Describe(LineCallback callback)
{
    EmitLine(callback, kLineBuffer, "Reference Attachment (XRef)");
    IElement::Describe(callback);
    auto ansi = [](CDgnString* s) {
        std::string out;
        if (s && s->CharCount()) {
            out.resize(2 * static_cast<std::size_t>(s->CharCount()) + 1);
            s->CopyToAnsi(&out[0]);
            out.resize(std::strlen(out.c_str()));
        }
        return out;
    };
    EmitLine(callback, kLineBuffer, "File Name: %s", ansi(m_fileName).c_str());
    if (m_modelName && m_modelName->CharCount() > 0)
        EmitLine(callback, kLineBuffer, "Model name: %s", ansi(m_modelName).c_str());
    EmitLine(callback, kLineBuffer, "Nr. elements: %i", ChildCount());
    EmitEnd(callback);
}

} // namespace dgn
