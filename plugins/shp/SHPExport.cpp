#include "SHPExport.h"
#include <algorithm>
#include <cmath>
#include <memory>
#include <set>
#include "ShapefilePaths.h"
#include "common/FreezeGuard.h"

namespace {

// The exporter's own degree factor and full turn (pi as 3.14159265300): arcs are cut with them.
const double kDegree = 0.017453292519444445;
const double kTurn = 6.283185307;
// Steps of an arc, circle or ellipse: 25 points.
const int kArcSteps = 24;
const int kColumnWidth = 50;

struct ShapefileCloser {
    void operator()(SHPInfo* handle) const { SHPClose(handle); }
};
struct TableCloser {
    void operator()(DBFInfo* handle) const { DBFClose(handle); }
};

long TypeOf(IShape* shape)
{
    long type = 0;
    RaiseIfFailed(shape->get_ShapeType(&type), shape);
    return type;
}

long IdOf(IShape* shape)
{
    long id = 0;
    RaiseIfFailed(shape->get_ID(&id), shape);
    return id;
}

bool IsClosedPolyline(IShape* shape)
{
    IPolylineShapePtr polyline(shape);
    if (!polyline)
        return false;
    long flags = 0;
    RaiseIfFailed(polyline->get_Flags(&flags), polyline);
    return (flags & pfClosed) != 0;
}

IShapeCollectionPtr ChildrenOf(IShape* shape)
{
    IShapeCollectionPtr children;
    RaiseIfFailed(shape->get_Shapes(&children), shape);
    return children;
}

long CountOf(_IReadOnlyCollection* collection)
{
    long count = 0;
    if (collection)
        RaiseIfFailed(collection->get_Count(&count), collection);
    return count;
}

// An attribute value as the text of a table cell: numbers in the invariant form (a point for the
// decimals), empty when it has no text form.
CString CellText(const VARIANT& value)
{
    VARIANT text;
    VariantInit(&text);
    CString cell;
    if (value.vt != VT_EMPTY && value.vt != VT_NULL &&
        SUCCEEDED(VariantChangeTypeEx(&text, const_cast<VARIANT*>(&value), LOCALE_INVARIANT, VARIANT_ALPHABOOL, VT_BSTR)) && text.bstrVal)
        cell = CString(text.bstrVal);
    VariantClear(&text);
    return cell;
}

// Blocks that this export made of image resources go again at its end, on every way out; blocks
// that were there before stay.
class MadeBlocks
{
public:
    explicit MadeBlocks(IShapeCollection* siteShapes) : m_siteShapes(siteShapes) {}
    ~MadeBlocks()
    {
        if (!m_siteShapes)
            return;
        for (long id : m_made)
            m_siteShapes.GetInterfacePtr()->DeleteByID(id);
    }
    void Add(long id) { m_made.push_back(id); }

private:
    IShapeCollectionPtr m_siteShapes;
    std::vector<long> m_made;
};

} // namespace

CSHPExport::CSHPExport(IYVEXControlPtr control, void* user, ProgressCallback callback)
    : CVExporter(control, user, callback)
{
}

CSHPExport::CSHPExport(IYVEXControlPtr control, const CProgressNotifier& notifier) : CVExporter(control, notifier) {}

int CSHPExport::ReadyExport(unsigned long option, unsigned long value)
{
    if (option == 1)
        m_layerIds.push_back(static_cast<long>(value));
    else if (option == 2)
        m_attributeMode = static_cast<int>(value);
    return TRUE;
}

bool CSHPExport::PassesLayerFilter(IShape* shape)
{
    long layer = 0;
    RaiseIfFailed(shape->get_LayerShapeID(&layer), shape);
    if (m_layerFilter >= 1 && layer != m_layerFilter)
        return false;
    return m_layerIds.empty() || std::find(m_layerIds.begin(), m_layerIds.end(), layer) != m_layerIds.end();
}

int CSHPExport::Export(const CString& path, unsigned long layer, unsigned long)
{
    m_state = 0;
    if (layer)
        m_layerFilter = static_cast<int>(layer);
    if (!m_control)
        return FALSE;
    ISitePtr site;
    RaiseIfFailed(m_control->get_Site(&site), m_control);
    RaiseIfFailed(site->get_Shapes(&m_siteShapes), site);
    IShapePtr root;
    RaiseIfFailed(m_siteShapes->get_ItemByID(BASE_ID, &root), m_siteShapes);
    const IShapeCollectionPtr drawing = ChildrenOf(root);
    m_shapeIds.clear();
    m_columns.clear();
    m_imageBlocks.clear();
    m_x.clear();
    m_y.clear();
    m_partStarts.assign(1, 0);
    m_records = 0;

    // From here the control is frozen (its undo history, drawing and limits untouched by the
    // temporary blocks and references of the images) and back as it was on every way out.
    CFreezeGuard frozen(m_control, true);
    MadeBlocks madeBlocks(m_siteShapes);

    // Metafile images go out as the shapes of a block made of them.
    std::set<long> blocksBefore;
    {
        IShapePtr library;
        RaiseIfFailed(m_siteShapes->get_ItemByID(LIBRARY_ID, &library), m_siteShapes);
        const IShapeCollectionPtr blocks = ChildrenOf(library);
        for (long i = 1, n = CountOf(blocks); i <= n; ++i) {
            IShapePtr block;
            RaiseIfFailed(blocks->get_Item(i, &block), blocks);
            if (block)
                blocksBefore.insert(IdOf(block));
        }
    }
    IImageResourceCollectionPtr resources;
    RaiseIfFailed(site->get_ImageResources(&resources), site);
    for (long i = 1, n = CountOf(resources); i <= n; ++i) {
        IImageResourcePtr resource;
        RaiseIfFailed(resources->get_Item(i, &resource), resources);
        if (!resource)
            continue;
        ImageResourceTypes type = irtUnknown;
        RaiseIfFailed(resource->get_ResourceType(&type), resource);
        if (type != irtExtMetafile)
            continue;
        long block = 0;
        RaiseIfFailed(resource->ConvertToBlock(&block), resource);
        if (!block)
            continue;
        if (!blocksBefore.count(block))
            madeBlocks.Add(block);
        long id = 0;
        RaiseIfFailed(resource->get_ID(&id), resource);
        m_imageBlocks[id] = block;
    }

    // First pass: the shapes that go out, their attribute columns and the kind of file.
    m_openShapes = m_closedShapes = 0;
    const long count = CountOf(drawing);
    for (long j = 1; j <= count; ++j) {
        SetProgress(static_cast<int>(50 * j / count));
        IShapePtr shape;
        RaiseIfFailed(drawing->get_Item(j, &shape), drawing);
        if (!shape || !PassesLayerFilter(shape))
            continue;
        PreInsertShape(shape);
        CountLines(shape);
    }
    m_shapefileType = m_closedShapes >= 1 && m_openShapes == 0 ? SHPT_POLYGON : SHPT_ARC;

    std::unique_ptr<SHPInfo, ShapefileCloser> shapefile(SHPCreate(path.GetString(), m_shapefileType));
    if (!shapefile) {
        m_state = E_FAIL;
        return FALSE;
    }
    if (m_columns.empty())
        m_columns.push_back({"ATTR", {}});
    std::unique_ptr<DBFInfo, TableCloser> table(DBFCreate(DbfPathOf(path).GetString()));
    if (table) {
        for (const Column& column : m_columns)
            DBFAddField(table.get(), column.name.GetString(), FTString, kColumnWidth, 0);
    }
    m_shapefile = shapefile.get();
    m_table = table.get();
    // The handles are the run's: the members point at them while it lasts.
    struct Forget {
        CSHPExport* self;
        ~Forget()
        {
            self->m_shapefile = nullptr;
            self->m_table = nullptr;
        }
    } forget{this};

    // Second pass: one record per shape that has geometry, and its attribute row at the
    // record's index.
    const size_t n = m_shapeIds.size();
    for (size_t j = 0; j < n; ++j) {
        SetProgress(static_cast<int>(50 + 50 * j / n));
        IShapePtr shape;
        RaiseIfFailed(drawing->get_ItemByID(m_shapeIds[j], &shape), drawing);
        if (!shape)
            continue;
        const int record = m_records;
        if (InsertShape(shape, nullptr))
            InsertAttributes(record, shape);
    }
    SetProgress(100);
    return TRUE;
}

void CSHPExport::PreInsertShape(IShape* shape)
{
    m_shapeIds.push_back(IdOf(shape));
    IAttributeCollectionPtr attributes;
    RaiseIfFailed(shape->get_Attributes(&attributes), shape);
    if (!attributes)
        return;
    ISitePtr site;
    RaiseIfFailed(shape->get_Site(&site), shape);
    IAttributeTypeCollectionPtr types;
    RaiseIfFailed(site->get_AttributeTypes(&types), site);
    for (long i = 1, n = CountOf(attributes); i <= n; ++i) {
        IAttributePtr attribute;
        RaiseIfFailed(attributes->get_Item(i, &attribute), attributes);
        if (!attribute)
            continue;
        long id = 0;
        RaiseIfFailed(attribute->get_ID(&id), attribute);
        IAttributeTypePtr type;
        RaiseIfFailed(types->get_ItemByID(id, &type), types);
        if (!type)
            continue;
        BSTR text = nullptr;
        RaiseIfFailed(type->get_Prompt(&text), type);
        const CString prompt(text);
        SysFreeString(text);
        // One column per prompt, whatever its case; a prompt shared by several types gathers them.
        auto column = std::find_if(m_columns.begin(), m_columns.end(),
                                   [&](const Column& c) { return c.name.CompareNoCase(prompt) == 0; });
        if (column == m_columns.end())
            m_columns.push_back({prompt, {id}});
        else if (std::find(column->attributeIds.begin(), column->attributeIds.end(), id) == column->attributeIds.end())
            column->attributeIds.push_back(id);
    }
}

void CSHPExport::CountChildren(IShape* shape)
{
    const IShapeCollectionPtr children = ChildrenOf(shape);
    for (long i = 1, n = CountOf(children); i <= n; ++i) {
        IShapePtr child;
        RaiseIfFailed(children->get_Item(i, &child), children);
        if (child)
            CountLines(child);
    }
}

void CSHPExport::CountLines(IShape* shape)
{
    switch (TypeOf(shape)) {
    case stLine:
    case stArc:
        ++m_openShapes;
        break;
    case stRectangle:
    case stCircle:
    case stEllipse:
        ++m_closedShapes;
        break;
    case stPolyline:
    case stPolygon:
        ++(IsClosedPolyline(shape) ? m_closedShapes : m_openShapes);
        break;
    case stGroup:
    case stReference:
        CountChildren(shape);
        break;
    case stImage:
        if (const long block = BlockOfImage(shape)) {
            IShapePtr blockShape;
            RaiseIfFailed(m_siteShapes->get_ItemByID(block, &blockShape), m_siteShapes);
            IGroupShapePtr group(blockShape);
            if (group)
                CountChildren(group);
        }
        break;
    default:
        break;
    }
}

long CSHPExport::BlockOfImage(IShape* shape)
{
    IImageShapePtr image(shape);
    if (!image)
        return 0;
    long resource = 0;
    RaiseIfFailed(image->get_ImageResourceID(&resource), image);
    const auto found = m_imageBlocks.find(resource);
    return found == m_imageBlocks.end() ? 0 : found->second;
}

int CSHPExport::InsertAttributes(int row, IShape* shape)
{
    if (!m_table)
        return TRUE;
    IAttributeCollectionPtr attributes;
    if (m_attributeMode == 0 || m_attributeMode == 1)
        RaiseIfFailed(shape->get_Attributes(&attributes), shape);
    for (size_t i = 0; i < m_columns.size(); ++i) {
        CString text;
        for (long id : m_columns[i].attributeIds) {
            if (!attributes)
                break;
            IAttributePtr attribute;
            RaiseIfFailed(attributes->get_ItemByID(id, &attribute), attributes);
            if (!attribute)
                continue;
            VARIANT value;
            VariantInit(&value);
            RaiseIfFailed(attribute->get_Value(&value), attribute);
            text = CellText(value);
            VariantClear(&value);
            break;
        }
        DBFWriteStringAttribute(m_table, row, static_cast<int>(i), text.GetString());
    }
    return TRUE;
}

void CSHPExport::PutVertex(size_t index, double x, double y)
{
    if (m_x.size() <= index) {
        m_x.resize(index + 1);
        m_y.resize(index + 1);
    }
    m_x[index] = X(x);
    m_y[index] = Y(y);
}

size_t CSHPExport::AddParts(IShapeCollection* children, int* counter)
{
    size_t added = 0;
    for (long i = 1, n = CountOf(children); i <= n; ++i) {
        IShapePtr child;
        RaiseIfFailed(children->get_Item(i, &child), children);
        if (child)
            added += InsertShape(child, counter);
    }
    return added;
}

size_t CSHPExport::AddVertices(IShape* shape, long type, size_t first)
{
    switch (type) {
    case stLine:
    case stRectangle:
    case stPolyline:
    case stPolygon: {
        IPointCollectionPtr points;
        RaiseIfFailed(shape->get_Points(&points), shape);
        const long n = CountOf(points);
        if (n < 2)
            return 0;
        for (long i = 1; i <= n; ++i) {
            IPointPtr point;
            RaiseIfFailed(points->get_Item(i, &point), points);
            float x = 0, y = 0;
            RaiseIfFailed(point->get_X(&x), point);
            RaiseIfFailed(point->get_Y(&y), point);
            PutVertex(first + static_cast<size_t>(i - 1), x, y);
        }
        size_t written = static_cast<size_t>(n);
        // A rectangle is a ring whatever its flags say.
        if (type == stRectangle || (type != stLine && IsClosedPolyline(shape))) {
            PutVertex(first + written, m_x[first], m_y[first]);
            ++written;
        }
        return written;
    }
    case stEllipse:
    case stArc:
    case stCircle: {
        IPointCollectionPtr points;
        RaiseIfFailed(shape->get_Points(&points), shape);
        IPointPtr centre;
        RaiseIfFailed(points->get_Item(1, &centre), points);
        float cx = 0, cy = 0;
        RaiseIfFailed(centre->get_X(&cx), centre);
        RaiseIfFailed(centre->get_Y(&cy), centre);
        IEllipseShapePtr ellipse(shape);
        double startAngle = 0, endAngle = 0, major = 0, ratio = 0, angle = 0, extrusion = 0;
        RaiseIfFailed(ellipse->get_StartAngle(&startAngle), ellipse);
        RaiseIfFailed(ellipse->get_EndAngle(&endAngle), ellipse);
        RaiseIfFailed(ellipse->get_MajorRadius(&major), ellipse);
        RaiseIfFailed(ellipse->get_MinorRatio(&ratio), ellipse);
        RaiseIfFailed(ellipse->get_ZExtrusion(&extrusion), ellipse);
        RaiseIfFailed(shape->get_Angle(&angle), shape);
        const double start = startAngle * kDegree;
        double end = endAngle * kDegree;
        while (!(end > start) && std::isfinite(end))
            end += kTurn;
        const double minor = ratio * major;
        const double rotation = angle * kDegree;
        const double sweep = end - start;
        const double c = std::cos(rotation), s = std::sin(rotation);
        for (int k = 0; k <= kArcSteps; ++k) {
            const double a = k == kArcSteps ? end : start + sweep * k / kArcSteps;
            const double theta = extrusion >= 0 ? -a : a;
            const double u = major * std::cos(theta);
            const double v = -(minor * std::sin(theta));
            PutVertex(first + static_cast<size_t>(k), u * c - v * s + cx, u * s + v * c + cy);
        }
        // A whole turn is a ring: its last point is its first, bit for bit, as a ring must close
        // (the turn of the angle factor falls short of 2 pi by a few units in the tenth place).
        if (std::fabs(sweep - kTurn) < 1e-6)
            PutVertex(first + kArcSteps, m_x[first], m_y[first]);
        return kArcSteps + 1;
    }
    default:
        return 0;
    }
}

int CSHPExport::InsertShape(IShape* shape, int* partCounter)
{
    const int part = partCounter ? *partCounter : 0;
    const size_t first = part < 1 ? 0 : static_cast<size_t>(m_partStarts[static_cast<size_t>(part - 1)]);
    const long type = TypeOf(shape);
    IShapeCollectionPtr parts;
    size_t vertices = 0;
    // A reference made for the moment goes again on every way out.
    struct Temporary {
        IShapeCollection* shapes;
        long id;
        ~Temporary()
        {
            if (id)
                shapes->DeleteByID(id);
        }
    } temporary{m_siteShapes, 0};
    if (type == stGroup || type == stReference) {
        parts = ChildrenOf(shape);
    } else if (type == stImage) {
        if (const long block = BlockOfImage(shape)) {
            // The block drawn where the image stands, through a reference made for the moment.
            IPointCollectionPtr points;
            RaiseIfFailed(shape->get_Points(&points), shape);
            IPointPtr corner;
            RaiseIfFailed(points->get_Item(1, &corner), points);
            float x = 0, y = 0;
            RaiseIfFailed(corner->get_X(&x), corner);
            RaiseIfFailed(corner->get_Y(&y), corner);
            RaiseIfFailed(m_siteShapes->AddReference(block, &temporary.id, VARIANT_FALSE, x, y), m_siteShapes);
        }
        if (temporary.id) {
            IShapePtr referenceShape, blockShape;
            RaiseIfFailed(m_siteShapes->get_ItemByID(temporary.id, &referenceShape), m_siteShapes);
            RaiseIfFailed(m_siteShapes->get_ItemByID(BlockOfImage(shape), &blockShape), m_siteShapes);
            IReferenceShapePtr reference(referenceShape);
            IImageShapePtr image(shape);
            float left = 0, top = 0, right = 0, bottom = 0;
            RaiseIfFailed(blockShape->GetBoundingRect(&left, &top, &right, &bottom), blockShape);
            double rotation = 0, width = 0, height = 0;
            RaiseIfFailed(image->get_RotationAngle(&rotation), image);
            RaiseIfFailed(image->get_Width(&width), image);
            RaiseIfFailed(image->get_Height(&height), image);
            RaiseIfFailed(reference->put_RotationAngle(rotation), reference);
            if (right - left > 0 && top - bottom > 0) {
                RaiseIfFailed(reference->put_XScale(width / (right - left)), reference);
                RaiseIfFailed(reference->put_YScale(height / (top - bottom)), reference);
            }
            parts = ChildrenOf(referenceShape);
        } else {
            float left = 0, top = 0, right = 0, bottom = 0;
            RaiseIfFailed(shape->GetBoundingRect(&left, &top, &right, &bottom), shape);
            const float ring[5][2] = {{left, top}, {right, top}, {right, bottom}, {left, bottom}, {left, top}};
            for (size_t k = 0; k < 5; ++k)
                PutVertex(first + k, ring[k][0], ring[k][1]);
            vertices = 5;
        }
    } else {
        vertices = AddVertices(shape, type, first);
    }

    if (parts) {
        // The children as parts of one record: a group inside a group adds its own children.
        int count = partCounter ? *partCounter : 1;
        AddParts(parts, &count);
        if (partCounter) {
            const bool added = count > *partCounter;
            *partCounter = count;
            return added ? 1 : 0;
        }
        return WriteRecord(count - 1, m_partStarts[static_cast<size_t>(count - 1)]) ? 1 : 0;
    }
    if (!vertices)
        return 0;
    if (partCounter) {
        if (m_partStarts.size() <= static_cast<size_t>(part))
            m_partStarts.resize(static_cast<size_t>(part) + 1);
        m_partStarts[static_cast<size_t>(part)] = static_cast<int>(first + vertices);
        ++*partCounter;
        return 1;
    }
    return WriteRecord(0, vertices) ? 1 : 0;
}

bool CSHPExport::WriteRecord(int parts, size_t vertices)
{
    if (vertices == 0)
        return false;
    SHPObject* object = SHPCreateObject(m_shapefileType, -1, parts, parts ? m_partStarts.data() : nullptr, nullptr,
                                        static_cast<int>(vertices), m_x.data(), m_y.data(), nullptr, nullptr);
    if (!object)
        throw std::bad_alloc();
    const int written = SHPWriteObject(m_shapefile, -1, object);
    SHPDestroyObject(object);
    if (written < 0)
        return false;
    ++m_records;
    return true;
}
