// What the setup pages share: moving text between their edit controls and
// the setup profile, string resources, and functions of libraries loaded at
// run time.
#ifndef QVWIZ_SETUP_COMMON_H
#define QVWIZ_SETUP_COMMON_H

#include <afx.h>
#include <qvstp32_calls.h>

// Item numbers as the profile's enumerations; most items have no name of
// their own in the suite's header.
inline eSetupShortStrItems ShortItem(int n) { return static_cast<eSetupShortStrItems>(n); }
inline eSetupLongStrItems LongItem(int n) { return static_cast<eSetupLongStrItems>(n); }
inline eSetupNumItems NumItem(int n) { return static_cast<eSetupNumItems>(n); }

// A page's edit control and the profile item it shows.
struct EditItem {
    int controlId;
    bool isLong;      // long-string item, else short-string item
    int item;
    int limit;        // characters the edit accepts
};

// Limits every edit and fills it from its item.
void LoadEditItems(CWnd* page, const EditItem* items, int count);
// Writes every edit's text (read into an 80-byte buffer) to its item, in
// the order given.
void StoreEditItems(CWnd* page, const EditItem* items, int count);

// The port chosen on the modem-or-port page: "COM1" to "COM9", a telephony
// line's name, "COM0" for none, or empty until that page is left with Next.
// The modem model page probes it; the finish stores it in the profile.
extern char g_portName[260];

// A string resource of the library.
CString LoadText(UINT id);

// An exported function of a library loaded at run time, or null.
template <class Fn>
Fn LookupExport(HINSTANCE library, const char* name)
{
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(library, name)));
}

#endif
