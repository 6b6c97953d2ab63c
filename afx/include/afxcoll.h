// MFC's two array collections as the library uses them.
#ifndef AFXCOLL_H
#define AFXCOLL_H

#include "afxstr.h"
#include <vector>

// Holds CObject pointers; it owns none of them.
class CObArray : public CObject {
public:
    int GetSize() const { return static_cast<int>(m_items.size()); }
    int GetUpperBound() const { return GetSize() - 1; }
    CObject* GetAt(int index) const { return m_items.at(index); }
    CObject* operator[](int index) const { return m_items.at(index); }
    void SetAt(int index, CObject* item) { m_items.at(index) = item; }
    void SetAtGrow(int index, CObject* item);
    int Add(CObject* item) { m_items.push_back(item); return GetUpperBound(); }
    void InsertAt(int index, CObject* item);
    void RemoveAt(int index, int count = 1);
    void RemoveAll() { m_items.clear(); }
private:
    std::vector<CObject*> m_items;
};

class CStringArray : public CObject {
public:
    int GetSize() const { return static_cast<int>(m_items.size()); }
    int GetUpperBound() const { return GetSize() - 1; }
    const CString& GetAt(int index) const { return m_items.at(index); }
    const CString& operator[](int index) const { return m_items.at(index); }
    CString& ElementAt(int index) { return m_items.at(index); }
    void SetAt(int index, const char* text) { m_items.at(index) = text; }
    void SetAtGrow(int index, const char* text);
    int Add(const char* text) { m_items.emplace_back(text); return GetUpperBound(); }
    void InsertAt(int index, const char* text);
    void RemoveAt(int index, int count = 1);
    void RemoveAll() { m_items.clear(); }
private:
    std::vector<CString> m_items;
};

#endif
