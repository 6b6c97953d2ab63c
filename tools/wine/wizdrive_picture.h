#ifndef WIZDRIVE_PICTURE_H
#define WIZDRIVE_PICTURE_H
#include <windows.h>
#include <string>

// "ok N": N pixels of bitmap BITMAPID (from QVWIZ32.DLL beside this program)
// differ from what the sheet's picture control (1000) shows, centred in it.
std::string ComparePicture(HWND sheet, int bitmapId);

#endif
