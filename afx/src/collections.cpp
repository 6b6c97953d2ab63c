#include "afxcoll.h"

// Index checks throw std::out_of_range through vector::at; callers that
// pass bad indexes are broken, and a crash there is easier to find.

void CObArray::SetAtGrow(int index, CObject* item)
{
    if (index >= GetSize())
        m_items.resize(index + 1, nullptr);
    m_items.at(index) = item;
}

void CObArray::InsertAt(int index, CObject* item)
{
    if (index >= GetSize())
        SetAtGrow(index, item);
    else
        m_items.insert(m_items.begin() + index, item);
}

void CObArray::RemoveAt(int index, int count)
{
    if (index < 0 || count <= 0 || index + count > GetSize())
        return;
    m_items.erase(m_items.begin() + index, m_items.begin() + index + count);
}

void CStringArray::SetAtGrow(int index, const char* text)
{
    if (index >= GetSize())
        m_items.resize(index + 1);
    m_items.at(index) = text;
}

void CStringArray::InsertAt(int index, const char* text)
{
    if (index >= GetSize())
        SetAtGrow(index, text);
    else
        m_items.insert(m_items.begin() + index, CString(text));
}

void CStringArray::RemoveAt(int index, int count)
{
    if (index < 0 || count <= 0 || index + count > GetSize())
        return;
    m_items.erase(m_items.begin() + index, m_items.begin() + index + count);
}
