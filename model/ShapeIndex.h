#pragma once
#include <windows.h>

class CShape;
class CGroup;
class CDataTableSet;

// What the shapes use of the site's shape map: every shape by ID, the shape factory, the tables
// that tie shapes to database rows and source sites, and the groups that list shapes without
// owning them. The control's shape map implements it.
class CShapeIndex
{
public:
    virtual ~CShapeIndex() = default;

    // The shape of an ID, or null.
    virtual CShape* Lookup(int id) const = 0;
    // A new shape of a ShapeTypes code (see CShapeMap::CreateShape), entered into the map with
    // registerIt; null for a type the factory does not build.
    virtual CShape* CreateShape(int type, bool visible, bool registerIt, const int* id = nullptr) = 0;
    // A copy of a shape under a new ID.
    virtual CShape* CloneShape(CShape* source, bool registerIt) = 0;
    // 0 when removed or absent, 1 when refused (a fixed group or a root group).
    virtual int RemoveShape(CShape* shape) = 0;
    // The map is the one owner of shapes: a shape goes only through DeleteShape, which takes it out
    // as RemoveShape does and deletes it (0; also for a shape the map does not hold). A shape the
    // map refuses to give up stays (1).
    virtual int DeleteShape(CShape* shape) = 0;
    // Groups that list shapes without owning them: a shape removed from the map leaves them.
    virtual void AddOverlayGroup(CGroup* group) = 0;
    virtual void RemoveOverlayGroup(CGroup* group) = 0;

    // Database shape ID -> shape ID, and the counter of new database shape IDs.
    virtual void SetDbId(int dbId, int shapeId) = 0;
    virtual int GetNextDbShapeId() const = 0;
    virtual void SetNextDbShapeId(int id) = 0;
    // A temporary (negative) database ID for a shape read from DXF.
    virtual int TakeTemporaryDbId() = 0;
    // Database shape ID -> the site its row came from.
    virtual void SetSourceSite(int dbId, int siteId) = 0;
    virtual int GetSourceSite(int dbId) const = 0;

    // One shape of a record-table set by its stored key, found or made and read from the set.
    virtual CShape* LoadShapeFromTables(CDataTableSet* tables, DWORD mode, int storedKey) = 0;

    // A new shape of another kind (a ShapeTypes code, made as CreateShape makes an unregistered
    // one) that is to take the place of the shape with the ID once a DXF load is done: the map
    // keeps it outside its IDs until the load uses it or the reading state is cleared; an earlier
    // one of the same ID goes. Null when the factory does not build the type.
    virtual CShape* CreateReplacement(int shapeId, int type) = 0;
    virtual CShape* FindReplacement(int shapeId) const = 0;
    // Deletes the replacement of the ID, if any.
    virtual void DropReplacement(int shapeId) = 0;
};
