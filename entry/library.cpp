#include "library.h"
#include "platform.h"

static HINSTANCE g_libraryInstance = nullptr;
static BOOL g_bWindows95 = FALSE;

void AttachLibrary(HINSTANCE instance)
{
    g_libraryInstance = instance;
    g_bWindows95 = IsWindows95Platform(QueryPlatform());
}

HINSTANCE LibraryInstance()
{
    return g_libraryInstance;
}

BOOL LibraryIsWindows95()
{
    return g_bWindows95;
}
