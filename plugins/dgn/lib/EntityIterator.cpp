#include "EntityIterator.h"

#include "DesignFile.h"

#include "EntityContainer.h"
#include "Library.h"
#include "RootContainer.h"

#include <new>

namespace dgn {

namespace {

// Element types that every selector but the list and model tests lets through.
constexpr std::int32_t kRasterReferenceType = 90;
constexpr std::int32_t kReferenceAttachmentType = 100;

} // namespace

CEntityIterator::CEntityIterator(const CEntityIterator* criteria) : m_source(criteria)
{
    if (criteria) {
        for (int i = 0; i < kSelectorCount; ++i)
            m_selectors[i] = criteria->m_selectors[i];
        m_modelFilter = criteria->m_modelFilter;
        m_view = criteria->m_view;
        m_levelFilter = criteria->m_levelFilter;
    }
}

CEntityIterator* CEntityIterator::Create(const CEntityIterator* criteria, IEntity* start, IEntity* end)
{
    CEntityIterator* it = new (std::nothrow) CEntityIterator(criteria);
    if (!it)
        return nullptr;
    it->m_cursor = CEntityContainer::Create(CEntityContainer::kCursor);
    if (!it->m_cursor) {
        delete it;
        return nullptr;
    }
    CLibraryLockGuard lock;
    CRootContainer* root = GetRootContainer();
    if (!start && root)
        start = root->Next();
    if (!end && root)
        end = root->Prev();
    it->m_start = start;
    it->m_end = end;
    if (start)
        it->m_cursor->InsertBefore(start);
    return it;
}

CEntityIterator::~CEntityIterator() { delete m_cursor; }

IEntity* CEntityIterator::Next()
{
    CLibraryLockGuard lock;
    const bool descend = m_selectors[kDescend] != 0;
    for (;;) {
        if (m_atEnd)
            return nullptr;
        IEntity* current = m_cursor->Next();
        if (!current)
            return nullptr;
        m_current = current;
        if (!descend && current->ChildList())
            m_cursor->InsertAfter(current->ChildList());
        else
            m_cursor->InsertAfter(current);
        // The end entity is still examined.
        if (current == m_end)
            m_atEnd = 1;
        if (current->GetKind() == kEntityContainer) {
            if (descend && m_depth > 0 && static_cast<CEntityContainer*>(current)->ContainerKind() == CEntityContainer::kChildList)
                --m_depth;
            continue;
        }
        if (descend && current->ChildList())
            ++m_depth;
        SelectorFacts facts;
        if (current->GetSelectorFacts(&facts) && !Selects(facts))
            continue;
        return current;
    }
}

bool CEntityIterator::Selects(const SelectorFacts& f) const
{
    const bool reference = f.type == kReferenceAttachmentType || f.type == kRasterReferenceType;
    if (!reference) {
        if (m_selectors[kGraphicOnly] && !f.graphic)
            return false;
        if (m_selectors[kNotHiddenOnly] && f.hidden)
            return false;
        if (m_levelFilter && !m_levelFilter->IsLevelOn(f.level))
            return false;
        if (!m_selectors[kIncludeClass5] && f.graphic && f.elementClass == 5)
            return false;
    }
    if (m_selectors[kPrimaryOnly] && f.graphic && f.elementClass != 0 && f.type != kRasterReferenceType)
        return false;
    if (m_selectors[kExcludeList1] && f.list == 1)
        return false;
    if (m_selectors[kExcludeList2] && f.list == 2)
        return false;
    if (m_modelFilter != kAnyModel) {
        if (m_selectors[kExcludeList0] && f.list == 0)
            return false;
        if (f.model != m_modelFilter)
            return false;
    }
    return true;
}

void CEntityIterator::Reset()
{
    CLibraryLockGuard lock;
    m_atEnd = 0;
    if (m_start)
        m_cursor->InsertBefore(m_start);
    m_current = nullptr;
    m_depth = 0;
}

int CEntityIterator::GetDepth() const
{
    const bool open = m_selectors[kDescend] && m_current && m_current->ChildList();
    return open ? m_depth - 1 : m_depth;
}

void CEntityIterator::DescendIntoComplex() { m_selectors[kDescend] = 1; }
void CEntityIterator::GraphicOnly() { m_selectors[kGraphicOnly] = 1; }

bool CEntityIterator::VisibleGraphicOnly()
{
    m_selectors[kGraphicOnly] = 1;
    m_selectors[kNotHiddenOnly] = 1;
    return true;
}

void CEntityIterator::SetModelFilter(std::int32_t model) { m_modelFilter = model; }
void CEntityIterator::SetView(std::int32_t view) { m_view = view; }
std::int32_t CEntityIterator::GetModelFilter() const { return m_modelFilter; }
std::int32_t CEntityIterator::GetView() const { return m_view; }

IElement* CEntityIterator::GetViewElement(CDesignFile* file)
{
    if (m_view == -1 || m_view == -2)
        return nullptr;
    // Looked up each time rather than kept: the view element may have been deleted since.
    return file ? file->FindView(m_view) : nullptr;
}

void CEntityIterator::ExcludeList0() { m_selectors[kExcludeList0] = 1; }
void CEntityIterator::ExcludeList1() { m_selectors[kExcludeList1] = 1; }
void CEntityIterator::ExcludeList2() { m_selectors[kExcludeList2] = 1; }
void CEntityIterator::PrimaryOnly() { m_selectors[kPrimaryOnly] = 1; }
void CEntityIterator::IncludeClass5() { m_selectors[kIncludeClass5] = 1; }
void CEntityIterator::SetLevelFilter(const ILevelFilter* filter) { m_levelFilter = filter; }
const ILevelFilter* CEntityIterator::GetLevelFilter() const { return m_levelFilter; }
const CEntityIterator* CEntityIterator::GetSource() const { return m_source; }

} // namespace dgn
