#pragma once
// A walk over a range of the entity chain: the children of one entity, or everything under
// the root container.
//
// The iterator's cursor is a container entity linked into the chain right before the next
// entity to visit, so the chain may be edited between calls (entities inserted, unlinked or
// deleted around the cursor) without the walk losing its place. Containers are never
// returned; a complex element's components are skipped unless the iterator descends. Elements
// must also pass the selectors (graphic only, visible only, level filter, class, list and
// model); entities that are not elements pass them all.
#include "Entity.h"

#include <cstdint>

namespace dgn {

class CDesignFile;
class CEntityContainer;
class IElement;

// What answers whether a level is on (a level mask).
class ILevelFilter {
public:
    virtual bool IsLevelOn(std::int32_t level) const = 0;

protected:
    ~ILevelFilter() = default;
};

// What the selectors look at in an element (IEntity::GetSelectorFacts).
struct SelectorFacts {
    std::int32_t type = 0;
    bool graphic = false;
    bool hidden = false;
    std::int32_t level = 0;
    std::int32_t elementClass = 0;
    std::int32_t list = 0;
    std::int32_t model = 0;
};

// The model filter that lets every model through.
constexpr std::int32_t kAnyModel = 0x7FFFFFFF;

class CEntityIterator {
public:
    // An iterator from start to end (inclusive; end is the container that closes the range).
    // Without them the range is everything under the root container. The selectors and
    // filters are copied from criteria, or are the defaults (all off, any model, no view, no
    // level filter). Null when memory runs out.
    static CEntityIterator* Create(const CEntityIterator* criteria, IEntity* start = nullptr, IEntity* end = nullptr);
    // Deletes the cursor.
    virtual ~CEntityIterator();

    // The next entity of the range that is not a container and passes the selectors; null at
    // the end.
    virtual IEntity* Next();
    // Back to the start.
    virtual void Reset();
    // How many complex headers enclose the current entity.
    virtual int GetDepth() const;
    virtual void DescendIntoComplex();
    virtual void GraphicOnly();
    // Graphic and not hidden; true.
    virtual bool VisibleGraphicOnly();
    virtual void SetModelFilter(std::int32_t model);
    virtual void SetView(std::int32_t view);
    virtual std::int32_t GetModelFilter() const;
    virtual std::int32_t GetView() const;
    // The view element of the iterator's view in the file; null for no view (-1 or -2).
    virtual IElement* GetViewElement(CDesignFile* file);
    virtual void ExcludeList0();
    virtual void ExcludeList1();
    virtual void ExcludeList2();
    virtual void PrimaryOnly();
    virtual void IncludeClass5();
    virtual void SetLevelFilter(const ILevelFilter* filter);
    virtual const ILevelFilter* GetLevelFilter() const;
    // The iterator whose criteria this one copied, or null.
    virtual const CEntityIterator* GetSource() const;

    // The names the converter knows the selectors by: components skipped (the default), graphic
    // only, visible graphic only, list 0 left out under a model filter, class 0 only.
    void SetTopLevelOnly() { m_selectors[kDescend] = 0; }
    void SetGraphicOnly() { GraphicOnly(); }
    void SetVisibleGraphicOnly() { VisibleGraphicOnly(); }
    void SetSkipControlList() { ExcludeList0(); }
    void SetPrimaryClassOnly() { PrimaryOnly(); }

    // True when an element with these facts passes the selectors.
    bool Selects(const SelectorFacts& facts) const;
    IEntity* Current() const { return m_current; }

    CEntityIterator(const CEntityIterator&) = delete;
    CEntityIterator& operator=(const CEntityIterator&) = delete;

private:
    enum Selector {
        kDescend,
        kGraphicOnly,
        kExcludeList0,
        kExcludeList1,
        kExcludeList2,
        kNotHiddenOnly,
        kPrimaryOnly,
        kIncludeClass5,
        kSelectorCount
    };

    explicit CEntityIterator(const CEntityIterator* criteria);

    IEntity* m_end = nullptr;
    CEntityContainer* m_cursor = nullptr;
    IEntity* m_current = nullptr;
    IEntity* m_start = nullptr;
    int m_depth = 0;
    std::uint8_t m_atEnd = 0;
    std::uint8_t m_selectors[kSelectorCount] = {};
    std::int32_t m_modelFilter = kAnyModel;
    std::int32_t m_view = -1;
    const CEntityIterator* m_source = nullptr;
    const ILevelFilter* m_levelFilter = nullptr;
};

// The element iterator, as the converter names it.
using CElementIterator = CEntityIterator;

} // namespace dgn
