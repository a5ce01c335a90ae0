#include "RootContainer.h"

#include "EntityContainer.h"
#include "Library.h"

#include <new>

namespace dgn {

CRootContainer* CRootContainer::Create()
{
    CRootContainer* root = new (std::nothrow) CRootContainer;
    if (!root)
        return nullptr;
    root->m_owner = root;
    CEntityContainer* closing = CEntityContainer::Create(CEntityContainer::kChildList);
    if (!closing) {
        delete root;
        return nullptr;
    }
    root->m_next = closing;
    closing->m_prev = root;
    closing->m_owner = root;
    root->m_childList = closing;
    root->m_prev = closing;
    return root;
}

CRootContainer::~CRootContainer()
{
    DestroySubtree();
    // prev named the end of the range, not a neighbour: nothing to unlink from.
    m_prev = nullptr;
    m_next = nullptr;
}

void CRootContainer::Unlink() {}

int CRootContainer::GetKind() const { return kEntityRoot; }

std::int32_t CRootContainer::GetCurrentMark() const { return m_currentMark; }

bool CRootContainer::AliveAt(const IEntity* e, std::int32_t mark) const
{
    // Compared unsigned, so the -1 of an entity never deleted is never reached.
    return e->m_createdAtMark <= mark && static_cast<std::uint32_t>(e->m_deletedAtMark) > static_cast<std::uint32_t>(mark);
}

template <class Visit>
void CRootContainer::Walk(Visit visit)
{
    CLibraryLockGuard lock;
    IEntity* e = m_next;
    while (e && e != m_childList) {
        // Containers come and go with the entity that owns them.
        if (e->GetKind() == kEntityContainer) {
            e = e->m_next;
            continue;
        }
        if (visit(e)) {
            IEntity* after = e->SubtreeEnd()->m_next;
            delete e;
            e = after;
        } else {
            e = e->m_next;
        }
    }
}

std::int32_t CRootContainer::BeginMark()
{
    const std::int32_t mark = m_currentMark;
    Walk([mark](IEntity* e) {
        if (e->m_createdAtMark > mark)
            return true;
        if (e->m_deletedAtMark != -1 && e->m_deletedAtMark > mark) {
            e->m_deletedAtMark = -1;
            e->m_hidden = 0;
        }
        return false;
    });
    ++m_currentMark;
    m_highMark = m_currentMark;
    m_lastWasUndo = 0;
    return m_currentMark;
}

std::int32_t CRootContainer::Undo()
{
    m_lastWasUndo = 1;
    if (m_currentMark > m_lowMark) {
        --m_currentMark;
        ApplyMarks();
    }
    return m_currentMark;
}

std::int32_t CRootContainer::Redo()
{
    m_lastWasUndo = 0;
    if (m_currentMark < m_highMark) {
        ++m_currentMark;
        ApplyMarks();
    }
    return m_currentMark;
}

std::int32_t CRootContainer::RedoAll()
{
    m_lastWasUndo = 0;
    if (m_currentMark < m_highMark) {
        m_currentMark = m_highMark;
        ApplyMarks();
    }
    return m_currentMark;
}

void CRootContainer::RepeatLast()
{
    if (m_lastWasUndo)
        Redo();
    else
        Undo();
}

void CRootContainer::CommitMarks()
{
    m_lowMark = m_currentMark;
    const std::int32_t mark = m_currentMark;
    Walk([this, mark](IEntity* e) { return !AliveAt(e, mark); });
}

void CRootContainer::ApplyMarks()
{
    const std::int32_t mark = m_currentMark;
    Walk([this, mark](IEntity* e) {
        e->m_hidden = AliveAt(e, mark) ? 0 : 1;
        return false;
    });
}

std::int32_t CRootContainer::AdvanceMark()
{
    ++m_currentMark;
    m_lowMark = m_currentMark;
    return m_currentMark;
}

} // namespace dgn
