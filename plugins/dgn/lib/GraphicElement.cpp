#include "GraphicElement.h"

#include "elements/ViewElement.h"

#include "DesignFile.h"
#include "ElementLinkages.h"
#include "EntityIterator.h"
#include "FillInfo.h"
#include "GeometrySink.h"
#include "LevelData.h"
#include "LittleEndian.h"
#include "TransformHelper.h"
#include "ValueEncodings.h"
#include "linkages/TextStyleLinkage.h"

#include <cinttypes>
#include <cmath>
#include <limits>
#include <string>

namespace dgn {

namespace {

constexpr std::uint16_t kCellHeaderType = 2;
constexpr std::uint16_t kSharedCellInstanceType = 35;
// A view whose flags have this bit applies its levels' view overrides.
constexpr std::uint32_t kViewLevelOverrides = 0x400;
// Bits of the V7 properties word.
constexpr std::uint16_t kV7Locked = 0x0100;
constexpr std::uint16_t kV7AttributesPresent = 0x0800;
constexpr std::uint16_t kV7CarriedProperties = 0xF000;
// The symbology bits of a shared cell instance's override mask.
constexpr std::uint16_t kOverrideColor = 0x08;
constexpr std::uint16_t kOverrideWeight = 0x10;
constexpr std::uint16_t kOverrideStyle = 0x20;

Symbology g_current = {0, 0, 0};
Symbology g_lastByCell = {0, 0, 0};

// Range bounds as whole design units: the box must contain the geometry, so the low corner is
// floored, the high corner ceiled, and both held to what 64 bits can say.
std::int64_t ToDesignUnits(double v)
{
    if (std::isnan(v))
        return 0;
    if (v >= 9223372036854775807.0)
        return std::numeric_limits<std::int64_t>::max();
    if (v <= -9223372036854775808.0)
        return std::numeric_limits<std::int64_t>::min();
    return static_cast<std::int64_t>(v);
}

std::int64_t Extent(std::int64_t low, std::int64_t high)
{
    if (high <= low)
        return 0;
    const std::uint64_t d = static_cast<std::uint64_t>(high) - static_cast<std::uint64_t>(low);
    return d > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()) ? std::numeric_limits<std::int64_t>::max()
                                                                                     : static_cast<std::int64_t>(d);
}

const char* const kClassNames[7] = {"Class PRIMARY",          "Class COMPONENT",         "Class CONSTRUCTION", "Class DIMENSION",
                                    "Class PRIMARY_RULE",     "Class LINEAR_PATTERNED",  "Class CONSTRUCTION_RULE"};

// The wide colour line's room for text: the 256-byte buffer less marker and terminator.
constexpr std::size_t kWideLineUnits = (kLineBuffer - 4) / 2;

} // namespace

Symbology GetCurrentSymbology() { return g_current; }
Symbology GetLastByCellSymbology() { return g_lastByCell; }
void SetLastByCellSymbology(const Symbology& s) { g_lastByCell = s; }

IGraphicElement::IGraphicElement(CDesignFile* file) : IElement(file)
{
    m_flags = 0x1100;
    m_list = kGraphicList;
    m_sizeWords = kMinGraphicAttrOffsetWords + 4;
    m_attrOffsetWords = m_sizeWords;
}

IGraphicElement::~IGraphicElement() { delete m_fillInfo; }

bool IGraphicElement::GetSelectorFacts(SelectorFacts* facts) const
{
    IElement::GetSelectorFacts(facts);
    facts->elementClass = m_properties & kPropertyClassMask;
    return true;
}

bool IGraphicElement::ReadV8(const std::uint8_t** cursor, std::uint32_t length)
{
    const std::uint8_t* record = *cursor;
    if (!ReadV8Header(cursor, length, kMinGraphicAttrOffsetWords))
        return false;
    const std::uint8_t* p = record + kV8HeaderBytes;
    m_graphicGroup = LoadU32(p);
    m_graphicAttr = LoadU32(p + 4);
    m_properties = LoadU16(p + 8);
    m_properties2 = LoadU16(p + 10);
    m_lineStyle = static_cast<std::int32_t>(LoadU32(p + 12));
    m_weight = static_cast<std::int32_t>(LoadU32(p + 16));
    m_color = static_cast<std::int32_t>(LoadU32(p + 20));
    for (int i = 0; i < 6; ++i)
        m_range[i] = static_cast<std::int64_t>(LoadU64(p + 24 + 8 * i));
    *cursor = record + kV8GraphicHeaderBytes;
    return true;
}

bool IGraphicElement::ReadV7(const std::uint8_t** cursor, std::uint32_t length)
{
    const std::uint8_t* record = *cursor;
    if (!V7RecordLength(record, length, kV7GraphicHeaderBytes) || !IElement::ReadV7(cursor, length))
        return false;
    m_graphicGroup = LoadU16(record + 28);
    const std::uint16_t properties = LoadU16(record + 32);
    m_properties = static_cast<std::uint16_t>((properties & kPropertyClassMask) | (properties & kV7CarriedProperties));
    if (properties & kV7Locked)
        m_flags |= kElementLocked;
    const std::uint16_t symbology = LoadU16(record + 34);
    m_lineStyle = symbology & 0x7;
    m_weight = (symbology >> 3) & 0x1F;
    m_color = symbology >> 8;
    m_flags |= kElementGraphic;
    if (m_designFile && m_designFile->Is3d())
        m_properties |= kProperty3d;
    const std::uint8_t* p = record + 4;
    std::int64_t low[3], high[3];
    for (std::int64_t& v : low)
        v = ReadV7Int32Extended(&p);
    for (std::int64_t& v : high)
        v = ReadV7Int32Extended(&p);
    for (int i = 0; i < 3; ++i) {
        m_range[i] = low[i];
        m_range[3 + i] = high[i] - low[i];
    }
    *cursor = record + kV7GraphicHeaderBytes;
    return true;
}

bool IGraphicElement::ReadV7Linkages(const std::uint8_t* record, std::uint32_t length)
{
    const std::uint32_t n = V7RecordLength(record, length, kV7GraphicHeaderBytes);
    if (!n)
        return false;
    if (!(LoadU16(record + 32) & kV7AttributesPresent) || !m_attributes)
        return true;
    // The attribute index counts words from offset 32; one that points at or past the end of
    // the record leaves no attribute data.
    const std::uint32_t start = 32 + 2 * static_cast<std::uint32_t>(LoadU16(record + 30));
    m_attributes->Clear();
    if (start < n)
        m_attributes->Parse(record + start, n - start);
    m_elementId = m_attributes->GetV7EntityId();
    return true;
}

void IGraphicElement::Touch()
{
    if (CTransformHelper* collector = CTransformHelper::Create()) {
        collector->SetDesignFile(m_designFile);
        EmitGeometry(nullptr, collector);
        if (collector->HasRange()) {
            const double* r = collector->Range();
            const int axes = (m_properties & kProperty3d) ? 3 : 2;
            for (int i = 0; i < axes; ++i) {
                const std::int64_t low = ToDesignUnits(std::floor(r[i]));
                const std::int64_t high = ToDesignUnits(std::ceil(r[3 + i]));
                m_range[i] = low;
                m_range[3 + i] = Extent(low, high);
            }
        }
        delete collector;
    }
    IElement::Touch();
}

void IGraphicElement::SetRangeFromBox(const double box[6])
{
    for (int i = 0; i < 3; ++i) {
        const std::int64_t low = ToDesignUnits(box[i]);
        m_range[i] = low;
        m_range[3 + i] = Extent(low, ToDesignUnits(box[3 + i]));
    }
}

void IGraphicElement::WriteGraphicHeader(std::uint8_t** cursor) const
{
    PutU32(cursor, m_graphicGroup);
    PutU32(cursor, m_graphicAttr);
    PutU16(cursor, m_properties);
    PutU16(cursor, m_properties2);
    PutU32(cursor, static_cast<std::uint32_t>(m_lineStyle));
    PutU32(cursor, static_cast<std::uint32_t>(m_weight));
    PutU32(cursor, static_cast<std::uint32_t>(m_color));
    for (std::int64_t v : m_range)
        PutU64(cursor, static_cast<std::uint64_t>(v));
}

std::uint32_t IGraphicElement::WriteV8(std::uint8_t** cursor)
{
    IElement::WriteV8(cursor);
    WriteGraphicHeader(cursor);
    return kV8GraphicHeaderBytes;
}

void IGraphicElement::Describe(LineCallback callback)
{
    IElement::Describe(callback);

    // The colour line carries the line style's name, which may be any UTF-16 text: it is a
    // wide line, the name shortened when the whole would not fit.
    const std::u16string head = FormatWide("color: %i, lweight: %i, lstyle: %i = ", m_color, m_weight, m_lineStyle);
    const std::u16string tail = FormatWide(", props: 0x%04x", m_properties);
    std::u16string name = m_designFile ? m_designFile->GetLineStyleName(m_lineStyle) : u"";
    const std::size_t room = kWideLineUnits > head.size() + tail.size() ? kWideLineUnits - head.size() - tail.size() : 0;
    if (name.size() > room)
        name.resize(room);
    EmitWideLine(callback, kLineBuffer, head + name + tail);

    std::string marks;
    if (m_color == kColorByLevel)
        marks += "Color_BYLEVEL  ";
    if (m_color == kColorByCell)
        marks += "Color_BYCELL  ";
    if (m_weight == kWeightByLevel)
        marks += "Weight_BYLEVEL  ";
    if (m_weight == kWeightByCell)
        marks += "Weight_BYCELL  ";
    if (m_lineStyle == kStyleByLevel)
        marks += "LStyle_BYLEVEL  ";
    if (m_lineStyle == kStyleByCell)
        marks += "LStyle_BYCELL  ";
    if (!marks.empty())
        EmitLine(callback, kLineBuffer, "%s", marks.c_str());

    if (GetFillInfo())
        EmitLine(callback, kLineBuffer, "Fill Info present");
    static const struct {
        std::uint16_t bit;
        const char* word;
    } kPropertyWords[] = {{kProperty3d, "3D "},        {kPropertyPlanar, "PLANAR "},      {kPropertyScreen, "SCREEN "},
                          {kPropertyHole, "HOLE "},    {kPropertyNoSnap, "NSNAP "},       {kPropertyInvisible, "INVISIBLE "},
                          {kPropertyNew, "NEW "},      {kPropertyModified, "MODIFIED "}};
    std::string properties;
    for (const auto& p : kPropertyWords) {
        if (m_properties & p.bit)
            properties += p.word;
    }
    const int elementClass = GetClass();
    properties += elementClass < 7 ? kClassNames[elementClass] : "Class ?";
    EmitLine(callback, kLineBuffer, "%s", properties.c_str());

    static const char* const kAxes[3] = {"x", "y", "z"};
    for (int i = 0; i < 3; ++i) {
        // Read ranges may hold any values: the high corner is their wrapped sum.
        const std::int64_t low = m_range[i];
        const std::int64_t extent = m_range[3 + i];
        const std::int64_t high = static_cast<std::int64_t>(static_cast<std::uint64_t>(low) + static_cast<std::uint64_t>(extent));
        EmitLine(callback, kLineBuffer, " range %s low=%9" PRId64 "  hi=%9" PRId64 "  delta=%9" PRId64, kAxes[i], low, high, extent);
    }
}

bool IGraphicElement::IsGraphic() const { return true; }

bool IGraphicElement::IsHidden() const
{
    if (m_properties & kPropertyInvisible)
        return true;
    const LevelData* level = GetLevelSymbology();
    if (!level)
        return false;
    return (level->levelFlags & kLevelFrozen) || !(level->levelFlags & kLevelDisplay);
}

void IGraphicElement::CopyTo(CDesignFile* target, IElement* destination, bool removeSource)
{
    IGraphicElement* graphic = dynamic_cast<IGraphicElement*>(destination);
    if (graphic && graphic != this) {
        graphic->m_graphicGroup = m_graphicGroup;
        graphic->m_graphicAttr = m_graphicAttr;
        graphic->m_properties = m_properties;
        graphic->m_properties2 = m_properties2;
        graphic->m_lineStyle = m_lineStyle;
        graphic->m_weight = m_weight;
        graphic->m_color = m_color;
        for (int i = 0; i < 6; ++i)
            graphic->m_range[i] = m_range[i];
    }
    IElement::CopyTo(target, destination, removeSource);
    if (graphic && graphic != this && m_fillInfo)
        graphic->RebuildFillInfo();
}

bool IGraphicElement::Is3dElement() const { return (m_properties & kProperty3d) != 0; }
void IGraphicElement::Clear3dElement() { m_properties &= static_cast<std::uint16_t>(~kProperty3d); }
void IGraphicElement::Set3dElement() { m_properties |= kProperty3d; }
bool IGraphicElement::Transform(const double*) { return false; }
const LevelData* IGraphicElement::GetLevelSymbology() const { return LevelEntryData(); }
std::int32_t IGraphicElement::GetColor() const { return m_color; }
void IGraphicElement::SetColor(std::int32_t color) { m_color = color; }
std::int32_t IGraphicElement::GetLineStyle() const { return m_lineStyle; }
void IGraphicElement::SetLineStyle(std::int32_t style) { m_lineStyle = style; }
std::int32_t IGraphicElement::GetWeight() const { return m_weight; }
void IGraphicElement::SetWeight(std::int32_t weight) { m_weight = weight; }
std::uint32_t IGraphicElement::GetGraphicGroup() const { return m_graphicGroup; }
void IGraphicElement::SetGraphicGroup(std::uint32_t group) { m_graphicGroup = group; }
std::uint16_t IGraphicElement::GetProperties() const { return m_properties; }
void IGraphicElement::SetProperties(std::uint16_t properties) { m_properties = properties; }
int IGraphicElement::GetClass() const { return m_properties & kPropertyClassMask; }

void IGraphicElement::SetClass(int elementClass)
{
    m_properties = static_cast<std::uint16_t>((m_properties & ~kPropertyClassMask) | (elementClass & kPropertyClassMask));
}

IGraphicElement* IGraphicElement::EnclosingCell() const
{
    for (IEntity* e = Owner(); e; e = e->Owner()) {
        if (e->GetKind() == kEntityElement && e->GetType() == kCellHeaderType) {
            if (IGraphicElement* cell = dynamic_cast<IGraphicElement*>(e))
                return cell;
        }
        if (e->Owner() == e)
            break;
    }
    return nullptr;
}

std::int32_t IGraphicElement::Effective(SymbologyKind kind)
{
    struct Rule {
        std::int32_t IGraphicElement::*stored;
        std::int32_t byCell;
        std::int32_t byLevel;
        std::int32_t LevelData::*level;
        std::int32_t Symbology::*last;
        std::int32_t (IGraphicElement::*cellValue)();
    };
    static const Rule rules[3] = {
        {&IGraphicElement::m_color, kColorByCell, kColorByLevel, &LevelData::levelColor, &Symbology::color, &IGraphicElement::GetEffectiveColor},
        {&IGraphicElement::m_lineStyle, kStyleByCell, kStyleByLevel, &LevelData::levelStyle, &Symbology::lineStyle,
         &IGraphicElement::GetEffectiveLineStyle},
        {&IGraphicElement::m_weight, kWeightByCell, kWeightByLevel, &LevelData::levelWeight, &Symbology::weight, &IGraphicElement::GetEffectiveWeight},
    };
    const Rule& rule = rules[kind];
    const std::int32_t stored = this->*rule.stored;
    if (stored == rule.byCell) {
        IGraphicElement* cell = EnclosingCell();
        if (!cell)
            return 0;
        const std::int32_t v = (cell->*rule.cellValue)();
        g_lastByCell.*rule.last = v;
        return v;
    }
    const LevelData* level = GetLevelSymbology();
    return level && stored == rule.byLevel ? level->*rule.level : stored;
}

std::int32_t IGraphicElement::GetEffectiveColor() { return Effective(kEffectiveColor); }
std::int32_t IGraphicElement::GetEffectiveLineStyle() { return Effective(kEffectiveLineStyle); }
std::int32_t IGraphicElement::GetEffectiveWeight() { return Effective(kEffectiveWeight); }

std::int32_t IGraphicElement::GetColorResolvingCell()
{
    if (m_color != kColorByCell)
        return m_color;
    IGraphicElement* cell = EnclosingCell();
    return cell ? cell->GetColorResolvingCell() : 0;
}

std::int32_t IGraphicElement::GetDisplayColor()
{
    if (m_color == kColorByCell) {
        IGraphicElement* cell = EnclosingCell();
        return cell ? cell->GetDisplayColor() : 0;
    }
    const LevelData* level = GetLevelSymbology();
    if (level && (level->levelFlags & kLevelViewFillColor))
        return level->levelFillColor;
    return m_color;
}

std::uint16_t IGraphicElement::GetCellOverrideMask() const { return 0; }

std::uint32_t IGraphicElement::GetContextViewFlags(CEntityIterator* context) const
{
    const CViewElement* view = context ? dynamic_cast<const CViewElement*>(context->GetViewElement(m_designFile)) : nullptr;
    return view ? view->GetViewFlags() : 0;
}

void IGraphicElement::ApplySymbologyTo(CEntityIterator* context, IGeometrySink* sink)
{
    if (!sink || (sink->Kind() != 0 && sink->Kind() != 1))
        return;
    const std::int32_t color = GetEffectiveColor();
    const std::int32_t style = GetEffectiveLineStyle();
    const std::int32_t weight = GetEffectiveWeight();
    sink->SetColor(color);
    sink->SetLineStyle(style);
    sink->SetWeight(weight);
    g_current = {color, style, weight};
    sink->SetFillColor(GetDisplayColor());
    sink->SetSecondColor(GetColorResolvingCell());

    // Inside a shared cell instance, the instance's own symbology wins where it follows its
    // level or its override mask says so.
    if (sink->IsNested()) {
        IEntity* held = sink->Value(nullptr);
        IGraphicElement* instance =
            held && held->GetKind() == kEntityElement && held->GetType() == kSharedCellInstanceType ? dynamic_cast<IGraphicElement*>(held) : nullptr;
        if (instance) {
            const std::uint16_t mask = instance->GetCellOverrideMask();
            if (instance->m_color == kColorByLevel || (mask & kOverrideColor)) {
                sink->SetColor(instance->GetEffectiveColor());
                sink->SetFillColor(instance->GetDisplayColor());
            }
            if (instance->m_lineStyle == kStyleByLevel || (mask & kOverrideStyle))
                sink->SetLineStyle(instance->GetEffectiveLineStyle());
            if (instance->m_weight == kWeightByLevel || (mask & kOverrideWeight))
                sink->SetWeight(instance->GetEffectiveWeight());
        }
    }

    const LevelData* level = context ? GetLevelSymbology() : nullptr;
    if (!level || !(GetContextViewFlags(context) & kViewLevelOverrides))
        return;
    if (level->levelFlags & kLevelViewColor) {
        sink->SetColor(level->viewColor);
        sink->SetSecondColor(level->viewColor);
    }
    if (level->levelFlags & kLevelViewStyle)
        sink->SetLineStyle(level->viewStyle);
    if (level->levelFlags & kLevelViewWeight)
        sink->SetWeight(level->viewWeight);
    if (level->levelFlags & kLevelViewFillColor)
        sink->SetFillColor(level->viewFillColor);
}

CFillInfo* IGraphicElement::GetFillInfo()
{
    if (!m_fillInfo) {
        m_fillInfo = CFillInfo::Create(this);
        if (m_fillInfo && m_fillInfo->GetKind() == CFillInfo::kNoFill) {
            delete m_fillInfo;
            m_fillInfo = nullptr;
        }
    }
    return m_fillInfo;
}

void IGraphicElement::RebuildFillInfo()
{
    delete m_fillInfo;
    m_fillInfo = nullptr;
    GetFillInfo();
}

const std::int64_t* IGraphicElement::GetRange() const { return m_range; }

void IGraphicElement::ComputeRange(RangeBox* box)
{
    *box = RangeBox{{0, 0, 0}, {0, 0, 0}, false};
    CTransformHelper* collector = CTransformHelper::Create();
    if (!collector)
        return;
    collector->SetDesignFile(m_designFile);
    EmitGeometry(nullptr, collector);
    if (collector->HasRange()) {
        const double* r = collector->Range();
        for (int i = 0; i < 3; ++i) {
            box->low[i] = r[i];
            box->high[i] = r[3 + i];
        }
        box->hasPoint = true;
    }
    delete collector;
}

bool IGraphicElement::GetKeyPoint(std::int32_t, Point3d*, std::int32_t) { return false; }
bool IGraphicElement::EvaluateAssociation(const std::uint8_t*, Point3d*) { return false; }

CTextStyleLinkage* IGraphicElement::GetLinkedTextStyle() const
{
    // Looked up each time: a cached pointer would outlive a linkage that was removed.
    return m_attributes ? dynamic_cast<CTextStyleLinkage*>(m_attributes->Find(kTextStyleId)) : nullptr;
}

} // namespace dgn
