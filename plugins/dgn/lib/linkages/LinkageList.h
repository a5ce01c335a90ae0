#pragma once
// An intrusive circular list of attribute linkages. The same class is the list head (which owns
// its nodes) and every node of a list; a node that belongs to no list links to itself. A node
// may carry a child list of its own, created on first use. The attribute holder of an element
// (CElementLinkages) is a head; every attribute linkage (CLinkage) is a node.
#include "LinkageNodeBase.h"

namespace dgn {

class CLinkageList : public CLinkageNodeBase {
public:
    // A head deletes its remaining nodes; a node deletes its child list and leaves its list.
    // Either frees its tag block.
    ~CLinkageList() override;

    // Deletes the object (a head with its nodes).
    virtual void Destroy();
    // The neighbouring node, or null when it is the head (or this node is alone).
    virtual CLinkageList* Next() const;
    virtual CLinkageList* Prev() const;
    // The head of the list this node belongs to (or the owner it was given); null when none.
    virtual CLinkageList* GetOwner() const;
    // Links this node right after (before) the given node, leaving any list it was in; the
    // owner becomes the given node when that is a head, else the given node's owner. A head
    // moves all its nodes there, in order, and is left empty. False for null, for this node
    // itself and for a node of this head's own list.
    virtual bool InsertAfter(CLinkageList* node);
    virtual bool InsertBefore(CLinkageList* node);
    // A node leaves its list (true); a head stays (false).
    virtual bool Unlink();
    // On a head: the node (or all nodes of a head) at the end or the front. False on a node
    // or with null.
    virtual bool Append(CLinkageList* node);
    virtual bool Prepend(CLinkageList* node);
    // On a head: takes the first (last) node out of the list; null when empty or on a node.
    virtual CLinkageList* RemoveFirst();
    virtual CLinkageList* RemoveLast();
    // The child list, created as a head on first use (null when memory runs out).
    virtual CLinkageList* GetChildList();
    virtual CLinkageList* PeekChildList() const;
    virtual void DeleteChildList();
    virtual bool AppendChild(CLinkageList* node);
    virtual bool PrependChild(CLinkageList* node);
    // A C-heap block (std::malloc) that the node owns and frees; setting frees the previous.
    virtual void SetTag(void* block);
    virtual void* GetTag() const;

    bool IsHead() const { return m_isHead != 0; }
    // True when the head has no node.
    bool IsEmpty() const { return m_next == this; }

    CLinkageList(const CLinkageList&) = delete;
    CLinkageList& operator=(const CLinkageList&) = delete;

protected:
    explicit CLinkageList(bool head) : m_isHead(head ? 1 : 0) {}

private:
    // Splices the nodes first..last (a chain already out of any list) between p and n.
    static void LinkChain(CLinkageList* first, CLinkageList* last, CLinkageList* p, CLinkageList* n, CLinkageList* owner);
    bool MoveTo(CLinkageList* node, bool after);
    CLinkageList* RemoveEnd(bool first);

    CLinkageList* m_next = this;
    CLinkageList* m_prev = this;
    CLinkageList* m_childList = nullptr;
    CLinkageList* m_owner = nullptr;
    void* m_tag = nullptr;
    unsigned char m_isHead;
};

} // namespace dgn
