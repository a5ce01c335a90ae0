#pragma once
// The entity: a node of the library's one chain of objects.
//
// Every object of a drawing (design files, elements, child lists, iterator cursors) is an
// entity. The chain is doubly linked and laid out as a pre-order walk of the ownership tree:
// an entity X with children is followed by its children (each with its own subtree) and then
// by X's child container C, which closes X's subtree (C's owner is X, C's next is whatever
// follows X's subtree). Moving or unlinking X therefore moves its whole subtree at once.
// Entities that belong to no drawing hang under the root container (RootContainer.h).
//
// Each entity records the mark (RootContainer.h) at which it was linked and the one at which
// it was marked deleted, so that the root container can hide, revive and finally delete
// entities when the caller undoes and redoes.
#include <cstdint>

namespace dgn {

class CEntityContainer;
class CEntityIterator;
struct SelectorFacts;

// What GetKind answers.
enum EntityKind {
    kEntityPlain = 0,
    kEntityRoot = 1,
    kEntityDesignFile = 2,
    kEntityContainer = 3,
    kEntityElement = 4,
};

// Selects the constructor that links the new entity right after its owner.
struct LinkAfterOwner {};

class IEntity {
public:
    // Becomes the last child of owner (through owner->AddChild) when owner is not null; an
    // entity without owner stays unlinked until inserted.
    explicit IEntity(IEntity* owner);
    // Links right after owner (InsertAfter), as a child container does.
    IEntity(IEntity* owner, LinkAfterOwner);
    // Deletes the subtree (each child once, then the child container) and unlinks.
    virtual ~IEntity();

    // An iterator over this entity's children, or null without any (or without memory).
    virtual CEntityIterator* CreateChildIterator(const CEntityIterator* criteria);
    // Links this entity (with its subtree) right after ref's child container when ref has one
    // (owner ref), else right after ref (owner ref's owner). Null ref: the root's last child.
    virtual void InsertAfterSubtree(IEntity* ref);
    // Links between ref's predecessor and ref (owner ref's owner). Null ref: the root's first
    // child.
    virtual void InsertBefore(IEntity* ref);
    // Links between ref and ref's successor (owner ref's owner). Null ref: the root's last
    // child.
    virtual void InsertAfter(IEntity* ref);
    // Takes the entity and its subtree out of the chain.
    virtual void Unlink();
    // The child container, created (and linked right after this entity) on first use; null
    // when memory runs out.
    virtual CEntityContainer* GetChildList();
    // Makes child the last child and counts it.
    virtual void AddChild(IEntity* child);
    // Makes the entities that follow this one up to last (each with its subtree) its children,
    // as the records of a complex element follow their header: they take this entity as
    // owner and a new child container closes the subtree after last. The child count is left
    // as it is. False (nothing changed) when this entity has children already, last is not
    // among the entities that follow it in the same range, or memory runs out.
    bool AdoptFollowing(IEntity* last);
    virtual void MarkDeleted();
    virtual void UnmarkDeleted();
    virtual void SetVisitFlag();
    virtual void ClearVisitFlag();
    virtual int GetKind() const;
    // The element type; 0 for what is not an element.
    virtual int GetType() const;
    // Fills what an iterator's selectors test and returns true when this entity is subject to
    // them (elements); other entities pass every selector.
    virtual bool GetSelectorFacts(SelectorFacts* facts) const;

    IEntity* Prev() const { return m_prev; }
    IEntity* Next() const { return m_next; }
    IEntity* Owner() const { return m_owner; }
    CEntityContainer* ChildList() const { return m_childList; }
    // The last node of this entity's subtree: its child container, or itself.
    IEntity* SubtreeEnd() const;
    std::int32_t ChildCount() const { return m_childCount; }
    void SetChildCount(std::int32_t n) { m_childCount = n; }
    std::int32_t CreatedAtMark() const { return m_createdAtMark; }
    std::int32_t DeletedAtMark() const { return m_deletedAtMark; }
    bool IsHiddenEntity() const { return m_hidden != 0; }
    bool VisitFlag() const { return m_visitFlag != 0; }

    IEntity(const IEntity&) = delete;
    IEntity& operator=(const IEntity&) = delete;

protected:
    // Links this entity's subtree between p and n (either may be null).
    void LinkBetween(IEntity* p, IEntity* n);
    // True when e lies in this entity's subtree (this entity included).
    bool SubtreeContains(const IEntity* e) const;
    void DestroySubtree();

    IEntity* m_prev = nullptr;
    IEntity* m_next = nullptr;
    CEntityContainer* m_childList = nullptr;
    IEntity* m_owner = nullptr;
    std::int32_t m_childCount = 0;
    std::int32_t m_createdAtMark = 0;
    std::int32_t m_deletedAtMark = -1;
    std::uint8_t m_hidden = 0;
    std::uint8_t m_visitFlag = 1;
    std::uint8_t m_destroying = 0;

    friend class CRootContainer;
    friend class CEntityIterator;
};

} // namespace dgn
