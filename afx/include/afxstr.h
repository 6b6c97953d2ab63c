// CObject and CString: the root of the class tree and the text type.
#ifndef AFXSTR_H
#define AFXSTR_H

#include <windows.h>
#include <string>

class CObject {
public:
    virtual ~CObject() {}
protected:
    CObject() {}
private:
    CObject(const CObject&) = delete;
    CObject& operator=(const CObject&) = delete;
};

// An 8-bit text in the Windows code page. Held in a std::string; converts
// to const char* wherever the API wants a C string.
class CString {
public:
    CString() {}
    CString(const char* text) : m_text(text ? text : "") {}
    CString(const char* text, int length) : m_text(text ? std::string(text, length) : "") {}
    CString(char ch, int repeat = 1) : m_text(repeat > 0 ? repeat : 0, ch) {}

    int GetLength() const { return static_cast<int>(m_text.size()); }
    bool IsEmpty() const { return m_text.empty(); }
    void Empty() { m_text.clear(); }
    char GetAt(int index) const { return m_text.at(index); }
    char operator[](int index) const { return m_text.at(index); }
    void SetAt(int index, char ch) { m_text.at(index) = ch; }
    operator const char*() const { return m_text.c_str(); }

    CString& operator=(const char* text) { m_text = text ? text : ""; return *this; }
    CString& operator+=(const CString& other) { m_text += other.m_text; return *this; }
    CString& operator+=(const char* text) { if (text) m_text += text; return *this; }
    CString& operator+=(char ch) { m_text += ch; return *this; }
    friend CString operator+(const CString& a, const CString& b) { CString r(a); r += b; return r; }
    friend CString operator+(const CString& a, const char* b) { CString r(a); r += b; return r; }
    friend CString operator+(const char* a, const CString& b) { CString r(a); r += b; return r; }
    friend bool operator==(const CString& a, const CString& b) { return a.m_text == b.m_text; }
    friend bool operator==(const CString& a, const char* b) { return a.m_text == (b ? b : ""); }
    friend bool operator!=(const CString& a, const CString& b) { return !(a == b); }
    friend bool operator!=(const CString& a, const char* b) { return !(a == b); }

    int Compare(const char* text) const { return lstrcmpA(*this, text ? text : ""); }
    int CompareNoCase(const char* text) const { return lstrcmpiA(*this, text ? text : ""); }
    CString Left(int count) const;
    CString Mid(int first, int count = -1) const;
    CString Right(int count) const;
    int Find(char ch) const;
    int Find(const char* sub) const;
    void MakeUpper();
    void TrimLeft();
    void TrimRight();

    // Loads a string resource from the module AfxFindResourceHandle names.
    BOOL LoadString(UINT id);
    void Format(const char* format, ...);

    // Direct access for API calls that fill a buffer; ReleaseBuffer trims
    // the text at its first NUL (or at newLength when given).
    char* GetBuffer(int minLength);
    void ReleaseBuffer(int newLength = -1);

private:
    std::string m_text;
};

#endif
