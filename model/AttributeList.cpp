#include "model/AttributeList.h"
#include "model/AttributeBase.h"
#include <utility>

CAttributeList::~CAttributeList() { Clear(); }

int CAttributeList::Insert(CAttributeBase* element, int index)
{
    if (!element)
        return 1;
    int count = GetCount();
    if (index < 0 || index > count)
        index = count;
    if (index < count && m_elements[static_cast<size_t>(index)] == element)
        return 0;
    bool moved = false;
    for (int i = count - 1; i >= 0; --i) {
        if (m_elements[static_cast<size_t>(i)] == element) {
            m_elements.erase(m_elements.begin() + i);
            moved = true;
            if (i < index)
                --index;
        }
    }
    // A moved element keeps the use the list holds; a new one takes one.
    if (!moved)
        element->AddOwner(m_ownerId);
    m_elements.insert(m_elements.begin() + index, element);
    return 0;
}

int CAttributeList::RemoveAt(int index)
{
    if (index < 0 || index >= GetCount())
        return 1;
    CAttributeBase* element = m_elements[static_cast<size_t>(index)];
    m_elements.erase(m_elements.begin() + index);
    element->Release(m_ownerId);
    return 0;
}

int CAttributeList::DetachById(int id)
{
    for (size_t i = 0; i < m_elements.size(); ++i) {
        if (m_elements[i]->GetId() == id) {
            m_elements.erase(m_elements.begin() + static_cast<long>(i));
            return 0;
        }
    }
    return 1;
}

int CAttributeList::RemoveById(int id)
{
    for (size_t i = 0; i < m_elements.size(); ++i)
        if (m_elements[i]->GetId() == id)
            return RemoveAt(static_cast<int>(i));
    return 1;
}

CAttributeBase* CAttributeList::GetAt(int index) const
{
    if (index < 0 || index >= GetCount())
        return nullptr;
    return m_elements[static_cast<size_t>(index)];
}

void CAttributeList::Clear()
{
    std::vector<CAttributeBase*> elements;
    elements.swap(m_elements);
    for (CAttributeBase* element : elements)
        element->Release(m_ownerId);
}
