#include "control/SerializationMessages.h"
#include "control/ModuleVersion.h"
#include "control/ControlCore.h"
#include "com/AnsiText.h"
#include "com/Module.h"
#include "interchange/ImageResource.h"
#include "model/Group.h"
#include "model/Image.h"
#include "model/Layer.h"
#include "model/Reference.h"
#include "model/Shape.h"
#include "model/Text.h"
#include "YVEX_h.h"

#include <cstdio>
#include <vector>

std::string DescribeSerializationMode(DWORD mode)
{
    struct Flag {
        DWORD bit;
        const char* text;
    };
    static const Flag kFlags[] = {
        {DXFMODE_BLOCKS, " blocks"},
        {DXFMODE_STREAM, " using stream"},
        {DXFMODE_APPEND, ",\n   appending to existing drawing"},
        {0x20, ",\n   keeping all layers"},
        {DXFMODE_IGNORE_LAYERS, ",\n   ignoring source layers"},
        {DXFMODE_DO_NOT_ALIGN_SHAPES, ",\n   keeping shapes positions"},
        {DXFMODE_SINGLE_OBJECT, ",\n   only single shape"},
        {DXFMODE_DO_NOT_OVERWRITE_LAYERS, ",\n   without existing layers modification"},
        {DXFMODE_USE_YVEX_IDENTIFIERS, ",\n   keeping database IDs"},
        {DXFMODE_PROCESS_TREE_ONLY, ",\n   processing only current shape subtree"},
        {DXFMODE_SAVE_UNDO_DATA, ",\n   saving undo history"},
        {DXFMODE_QUIET, ",\n   without progress notifications"},
        {DXFMODE_ALL_ENABLED, ",\n   setting all enabled"},
        {DXFMODE_ALL_VISIBLE, ",\n   setting all visible"},
    };
    std::string text = (mode & DXFMODE_LOAD) ? "Loading" : "Saving";
    for (const Flag& flag : kFlags)
        if (mode & flag.bit)
            text += flag.text;
    if (!(mode & DXFMODE_FOREGROUND))
        text += ",\n   in background";
    if (mode & DXFMODE_READONLY)
        text += ",\n   as READ-ONLY";
    if (mode & DXFMODE_RESTORE_DBID)
        text += ",\n preserving database IDs";
    return text;
}

std::string DescribeShape(CShape* shape)
{
    if (!shape)
        return std::string();
    static const char* const kSystemNames[] = {
        "Highlighted shapes group", "Template shapes group", "Selection rectangle", "Layers group", "Blocks",
        "Clipboard", "Selection group", "Entire drawing", "Default layer", "Shape Template", "Text Template",
        "Circle Template", "Rectangle Template", "Line Template", "Ellipse Template", "Arc Template",
        "Polyline Template", "Polygon Template", "Image Template"};
    const int id = shape->GetId();
    if (id >= -7 && id <= 11)
        return kSystemNames[id + 7];
    switch (shape->GetShapeType()) {
    case stDummy:
        return "untyped";
    case stLine:
        return "Line";
    case stRectangle:
        return "Rectangle";
    case stArc:
        return "Arc";
    case stCircle:
        return "Circle";
    case stEllipse:
        return "Ellipse";
    case stPolyline:
        return "Polyline";
    case stCurve:
        return "Curve";
    case stGroup: {
        CGroup* parent = shape->GetParent();
        if (parent && parent->GetId() == LIBRARY_ID && shape->IsGroup())
            return "Block " + ycom::WideToAnsi(static_cast<CGroup*>(shape)->GetName().c_str());
        return "Group";
    }
    case stLayer:
        return "Layer " + static_cast<CLayer*>(shape)->GetName();
    case stImage: {
        CImageResource* resource = static_cast<CImage*>(shape)->GetImageResource();
        return resource ? "Image " + resource->GetName() : std::string("Image ");
    }
    case stText: {
        auto* text = static_cast<CText*>(shape);
        const int kind = text->GetTextType();
        std::string out;
        switch (kind) {
        case 4:
            return "RTF text";
        case 8:
            out = "Text Attribute Definition";
            break;
        case 2:
            out = "Text Attribute";
            break;
        case 0x10:
            out = "Text Label";
            break;
        default:
            out = "Text";
            break;
        }
        const std::string& content = text->GetText();
        if (!content.empty())
            out += " '" + (content.size() >= 21 ? content.substr(0, 17) : content) + "'";
        return out;
    }
    case stReference: {
        CGroup* block = static_cast<CReference*>(shape)->GetBlock();
        std::string out = "Reference";
        if (block)
            out += " to block " + ycom::WideToAnsi(block->GetName().c_str());
        return out;
    }
    case stPolygon:
        return "Polygon";
    case stHatch:
        return "Hatch";
    default:
        return std::string();
    }
}

std::string DescribeShapeParent(CShape* shape)
{
    if (!shape)
        return std::string();
    return shape->GetParent() ? DescribeShape(shape->GetParent()) : std::string("none");
}

std::string DescribeShapeLayer(CShape* shape)
{
    if (!shape)
        return std::string();
    return shape->GetLayer() ? shape->GetLayer()->GetName() : std::string("none");
}

void CControlCore::ReportSerializationError(const char* sourceFile, int line, DWORD mode, CShape* shape, HRESULT code)
{
    char number[32];
    std::string text = "Error serialization in '";
    text += sourceFile ? sourceFile : "";
    std::snprintf(number, sizeof number, ":%d", line);
    text += number;
    text += "':\nError " + DescribeSerializationMode(mode);
    std::snprintf(number, sizeof number, "%d", shape ? shape->GetId() : 0);
    text += "\n of shape " + std::string(number) + " " + DescribeShape(shape) + " in layer '" +
            DescribeShapeLayer(shape) + "' as child of '" + DescribeShapeParent(shape) + "'.";
    std::snprintf(number, sizeof number, "Error code 0x%lx", static_cast<unsigned long>(static_cast<uint32_t>(code)));
    text += number;
    std::string message = GetLastErrorText();
    if (!message.empty())
        message += ";\n";
    message += text;
    SetLastError(static_cast<int>(code), message.c_str());
}

int32_t CControlCore::ModuleVersion()
{
    int minor = 0, build = 0, revision = 0;
    const int major = ReadModuleVersionInfo(nullptr, &minor, &build, &revision, nullptr, 0, nullptr, 0);
    if (major == 0 && minor == 0 && build == 0 && revision == 0)
        return 0;
    const uint32_t packed = ((static_cast<uint32_t>(major) & 0xFF) << 24) | ((static_cast<uint32_t>(minor) & 0xFF) << 16) |
                            ((static_cast<uint32_t>(build) & 0xFF) << 8) | (static_cast<uint32_t>(revision) & 0xFF);
    return static_cast<int32_t>(packed);
}
