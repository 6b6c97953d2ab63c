#include "afxstr.h"
#include "afxwin.h"
#include <cctype>
#include <cstdarg>
#include <cstdio>

CString CString::Left(int count) const
{
    if (count < 0)
        count = 0;
    return CString(m_text.substr(0, count).c_str());
}

CString CString::Mid(int first, int count) const
{
    if (first < 0)
        first = 0;
    if (first >= GetLength())
        return CString();
    std::string part = count < 0 ? m_text.substr(first) : m_text.substr(first, count);
    return CString(part.c_str());
}

CString CString::Right(int count) const
{
    if (count >= GetLength())
        return *this;
    if (count <= 0)
        return CString();
    return CString(m_text.substr(m_text.size() - count).c_str());
}

int CString::Find(char ch) const
{
    size_t at = m_text.find(ch);
    return at == std::string::npos ? -1 : static_cast<int>(at);
}

int CString::Find(const char* sub) const
{
    size_t at = m_text.find(sub ? sub : "");
    return at == std::string::npos ? -1 : static_cast<int>(at);
}

void CString::MakeUpper()
{
    for (char& ch : m_text)
        ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
}

void CString::TrimLeft()
{
    size_t first = m_text.find_first_not_of(" \t\r\n");
    m_text.erase(0, first == std::string::npos ? m_text.size() : first);
}

void CString::TrimRight()
{
    size_t last = m_text.find_last_not_of(" \t\r\n");
    m_text.erase(last == std::string::npos ? 0 : last + 1);
}

BOOL CString::LoadString(UINT id)
{
    // String resources live in blocks of 16; the block's resource id is id/16+1.
    HINSTANCE module = AfxFindResourceHandle(MAKEINTRESOURCEA(id / 16 + 1), RT_STRING);
    char buffer[1024];
    int length = ::LoadStringA(module, id, buffer, sizeof buffer);
    m_text.assign(buffer, length > 0 ? length : 0);
    return length > 0;
}

void CString::Format(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    int length = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    if (length < 0) {
        m_text.clear();
    } else {
        std::string out(length + 1, '\0');
        std::vsnprintf(&out[0], out.size(), format, args);
        out.resize(length);
        m_text.swap(out);
    }
    va_end(args);
}

char* CString::GetBuffer(int minLength)
{
    if (minLength > GetLength())
        m_text.resize(minLength);
    return &m_text[0];
}

void CString::ReleaseBuffer(int newLength)
{
    if (newLength < 0)
        newLength = static_cast<int>(strnlen(m_text.c_str(), m_text.size()));
    m_text.resize(newLength);
}
