#pragma once
#include <string>
#include <vector>
#include "model/Shape.h"

// A shape that owns an ordered list of child shapes, kept in ascending Z order (bottom first);
// the base of every shape that holds children. The fixed groups -1, -3, -4, -6 and -7 only
// append.
class CGroup : public CShape
{
public:
    // Passes selection, visibility, layer and style changes on to the children.
    static const DWORD stPropagateToChildren = 0x400;
    // Set while the group passes a visibility change on.
    static const DWORD stGroupFlag100 = 0x100;

    CGroup(int id, CControlCore* control);
    // A copy under a new ID: the shape-base copy, then a clone of every child (by the shape map).
    CGroup(int id, const CGroup& source);
    ~CGroup() override;

    // Added group operations.
    // 1 when the child may be inserted (see the add rules); refusals store the control's last
    // error.
    virtual int CanAddChild(CShape* child, bool move);
    // Inserts by Z order (after the equals); 0 added, 1 not added.
    virtual int AddChild(CShape* child, int* outIndex, int adoptArg, bool move);
    virtual int AppendChild(CShape* child, int adoptArg);
    virtual int AdoptChild(CShape* child, int adoptArg);
    virtual int ReplaceChild(CShape* oldChild, CShape* newChild);
    virtual void SetFlag100(bool on);
    virtual bool HasFlag100();
    // 1 for an index outside the list; else 0 after erasing the entry (and with deleteIt having
    // the control delete the shape).
    virtual int RemoveChildAt(int index, bool deleteIt);
    // 1 when the child's parent is not this group; else 0.
    virtual int RemoveChild(CShape* child);
    virtual int BringChildToFront(int childId);
    virtual int SendChildToBack(int childId);
    virtual bool SelectsAsUnit();
    virtual int HasPoints();
    // The name; a plain group above the fixed IDs also gets a block name that DXF accepts,
    // unique among the block library's names.
    virtual void SetName(const wchar_t* name);

    // Storage: the GroupShapes row after the Shapes row, the Groups record of a named group,
    // and a block of the library as a DXF BLOCK (other groups write their children).
    HRESULT SaveToDB(SQLHSTMT statement, int siteId, int scenarioId, DWORD flags) override;
    HRESULT SaveToTables(CDataTableSet* tables, DWORD mode, DWORD flags) override;
    HRESULT WriteDxf(CDxfFile& dxf) override;
    // DXF reading into this group: the ENTITIES section, the body of a BLOCK (the group then
    // takes the block's name, flags and extended data, and its contents move so that the base
    // point lies at the origin), and the reader both share. 1 when the end of the section or
    // block was met, 0 when the data ended first.
    int ReadDxfEntitiesSection(CDxfFile& dxf);
    int ReadDxfBlockBody(CDxfFile& dxf);
    int ReadDxfEntities(CDxfFile& dxf, bool blockMode);
    // The BLOCKS section into the block library (this group) and the LAYER table into the
    // layers group (this group), merged with the layers of the same name as the control's
    // flags say.
    int ReadDxfBlocksSection(CDxfFile& dxf);
    int ReadDxfLayerTable(CDxfFile& dxf);
    // A child of the kind read from the entity that follows; null when the kind is not made.
    CShape* CreateChildFromDxf(CDxfFile& dxf, int kind, bool blockMode);

    // Overrides of the shape base.
    void Clear(bool deleteChildren) override;
    bool IsGroup() override { return true; }
    int GetClassShapeType() override;
    void GetCoClassId(CLSID* clsid) override;
    bool ContainsShapeId(int id, bool recursive) override;
    bool ContainsShape(CShape* shape) override;
    // A plain group inside the drawing, resized and dragged as one object.
    bool IsBlockContext() override;

    int GetShapeCount() const { return static_cast<int>(m_children.size()); }
    CShape* GetChildAt(int index) const;
    int IndexOfChild(int id) const;
    int MoveChildToHead(int id);
    int MoveChildToTail(int id);
    bool IsBlock() const;
    const std::vector<CShape*>& Children() const { return m_children; }
    const std::wstring& GetName() const { return m_name; }
    const std::string& GetBlockName() const { return m_blockName; }

protected:
    bool AppendsOnly() const;

    std::wstring m_name;
    std::string m_blockName;
    int m_blockFlags = 0;
    std::vector<CShape*> m_children;
    std::vector<CShape*> m_referrers;
    int m_selectsAsUnit = 1;
};
