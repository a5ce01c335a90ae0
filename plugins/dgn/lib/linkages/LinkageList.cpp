#include "LinkageList.h"

#include <cstdlib>
#include <new>

namespace dgn {

namespace {

// The head that owns nodes linked next to node.
CLinkageList* OwnerNextTo(CLinkageList* node) { return node->IsHead() ? node : node->GetOwner(); }

// A plain head, for child lists.
class CChildListHead : public CLinkageList {
public:
    CChildListHead() : CLinkageList(true) {}
};

} // namespace

CLinkageList::~CLinkageList()
{
    if (m_isHead) {
        while (m_next != this)
            delete m_next;
    } else {
        Unlink();
    }
    DeleteChildList();
    std::free(m_tag);
}

void CLinkageList::Destroy() { delete this; }

CLinkageList* CLinkageList::Next() const { return m_next->m_isHead || m_next == this ? nullptr : m_next; }
CLinkageList* CLinkageList::Prev() const { return m_prev->m_isHead || m_prev == this ? nullptr : m_prev; }
CLinkageList* CLinkageList::GetOwner() const { return m_owner; }

void CLinkageList::LinkChain(CLinkageList* first, CLinkageList* last, CLinkageList* p, CLinkageList* n, CLinkageList* owner)
{
    for (CLinkageList* q = first;; q = q->m_next) {
        q->m_owner = owner;
        if (q == last)
            break;
    }
    p->m_next = first;
    first->m_prev = p;
    last->m_next = n;
    n->m_prev = last;
}

bool CLinkageList::MoveTo(CLinkageList* node, bool after)
{
    if (!node || node == this)
        return false;
    if (m_isHead) {
        // The whole list moves; a target inside it would have nowhere to go.
        for (CLinkageList* q = m_next; q != this; q = q->m_next) {
            if (q == node)
                return false;
        }
        if (m_next == this)
            return true;
        CLinkageList* first = m_next;
        CLinkageList* last = m_prev;
        m_next = m_prev = this;
        CLinkageList* p = after ? node : node->m_prev;
        CLinkageList* n = after ? node->m_next : node;
        LinkChain(first, last, p, n, OwnerNextTo(node));
        return true;
    }
    Unlink();
    CLinkageList* p = after ? node : node->m_prev;
    CLinkageList* n = after ? node->m_next : node;
    LinkChain(this, this, p, n, OwnerNextTo(node));
    return true;
}

bool CLinkageList::InsertAfter(CLinkageList* node) { return MoveTo(node, true); }
bool CLinkageList::InsertBefore(CLinkageList* node) { return MoveTo(node, false); }

bool CLinkageList::Unlink()
{
    if (m_isHead)
        return false;
    m_prev->m_next = m_next;
    m_next->m_prev = m_prev;
    m_next = m_prev = this;
    m_owner = nullptr;
    return true;
}

bool CLinkageList::Append(CLinkageList* node)
{
    if (!m_isHead || !node)
        return false;
    return node->InsertBefore(this);
}

bool CLinkageList::Prepend(CLinkageList* node)
{
    if (!m_isHead || !node)
        return false;
    return node->InsertAfter(this);
}

CLinkageList* CLinkageList::RemoveEnd(bool first)
{
    if (!m_isHead || m_next == this)
        return nullptr;
    CLinkageList* node = first ? m_next : m_prev;
    node->Unlink();
    return node;
}

CLinkageList* CLinkageList::RemoveFirst() { return RemoveEnd(true); }
CLinkageList* CLinkageList::RemoveLast() { return RemoveEnd(false); }

CLinkageList* CLinkageList::GetChildList()
{
    if (!m_childList) {
        m_childList = new (std::nothrow) CChildListHead;
        if (m_childList)
            m_childList->m_owner = this;
    }
    return m_childList;
}

CLinkageList* CLinkageList::PeekChildList() const { return m_childList; }

void CLinkageList::DeleteChildList()
{
    delete m_childList;
    m_childList = nullptr;
}

bool CLinkageList::AppendChild(CLinkageList* node)
{
    CLinkageList* list = GetChildList();
    return list && list->Append(node);
}

bool CLinkageList::PrependChild(CLinkageList* node)
{
    CLinkageList* list = GetChildList();
    return list && list->Prepend(node);
}

void CLinkageList::SetTag(void* block)
{
    if (block != m_tag)
        std::free(m_tag);
    m_tag = block;
}

void* CLinkageList::GetTag() const { return m_tag; }

} // namespace dgn
