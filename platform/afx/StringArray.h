#pragma once
// CStringArray: a growable array of CString with the class library's indexing (0-based, the
// upper bound the last index).
#include <vector>
#include "afx/String.h"

class CStringArray
{
public:
    int GetSize() const { return static_cast<int>(m_items.size()); }
    int GetCount() const { return GetSize(); }
    int GetUpperBound() const { return GetSize() - 1; }
    bool IsEmpty() const { return m_items.empty(); }
    // New places are empty strings.
    void SetSize(int size) { m_items.resize(size > 0 ? static_cast<size_t>(size) : 0); }

    const CString& GetAt(int index) const { return m_items.at(static_cast<size_t>(index)); }
    CString& ElementAt(int index) { return m_items.at(static_cast<size_t>(index)); }
    void SetAt(int index, const char* text) { ElementAt(index) = text; }
    const CString& operator[](int index) const { return GetAt(index); }
    CString& operator[](int index) { return ElementAt(index); }

    // The index of the new last item.
    int Add(const CString& text)
    {
        m_items.push_back(text);
        return GetUpperBound();
    }
    int Append(const CStringArray& other)
    {
        const int first = GetSize();
        m_items.insert(m_items.end(), other.m_items.begin(), other.m_items.end());
        return first;
    }
    // Past the end, the array grows with empty strings up to the index.
    void InsertAt(int index, const CString& text, int count = 1)
    {
        if (index < 0 || count <= 0)
            return;
        if (index > GetSize())
            SetSize(index);
        m_items.insert(m_items.begin() + index, static_cast<size_t>(count), text);
    }
    void RemoveAt(int index, int count = 1)
    {
        if (index < 0 || count <= 0 || index >= GetSize())
            return;
        const int last = index + count < GetSize() ? index + count : GetSize();
        m_items.erase(m_items.begin() + index, m_items.begin() + last);
    }
    void RemoveAll() { m_items.clear(); }

private:
    std::vector<CString> m_items;
};
