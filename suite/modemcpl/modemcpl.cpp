// MODEM.CPL for Wine: the Control Panel's "Modems Properties". It lists the
// installed modems, installs one (a model from the suite's MODEM.DBF on a
// COM port) and removes one, in the registry keys the line provider
// (TAPI32.DLL) reads its lines from.
#include "modem_class.h"
#include "resource.h"
#include <qvdbf32_calls.h>
#include <cstdio>
#include <cstring>

namespace {

// Control Panel applet protocol (the messages CPlApplet receives).
enum {
    kCplInit = 1,
    kCplGetCount = 2,
    kCplInquire = 3,
    kCplDoubleClick = 5,
};
struct CplInfo {
    int icon;
    int name;
    int info;
    LONG_PTR data;
};

HINSTANCE g_module;
HWND g_addDialog;  // the install dialog while it is open

InstalledModem g_modems[kMaxModems];

void FillModems(HWND dialog)
{
    HWND list = GetDlgItem(dialog, IDC_MODEM_LIST);
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    int count = ReadInstalledModems(g_modems, kMaxModems);
    for (int i = 0; i < count; i++) {
        char line[kModemNameMax + 32];
        std::snprintf(line, sizeof line, "%s\t%s", g_modems[i].name[0] ? g_modems[i].name : "?",
                      g_modems[i].port);
        LRESULT at = SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line));
        SendMessageA(list, LB_SETITEMDATA, at, i);
    }
    SendMessageA(list, LB_SETCURSEL, 0, 0);
    EnableWindow(GetDlgItem(dialog, IDC_REMOVE), count > 0);
}

void Complain(HWND owner, UINT id)
{
    char text[128] = "";
    LoadStringA(g_module, id, text, sizeof text);
    MessageBoxA(owner, text, "Modems Properties", MB_OK | MB_ICONEXCLAMATION);
}

// MODEM.DBF lies beside this applet, in the suite's folder.
bool DatabasePath(char* path, DWORD size)
{
    DWORD n = GetModuleFileNameA(g_module, path, size);
    if (n == 0 || n >= size)
        return false;
    char* slash = std::strrchr(path, '\\');
    if (!slash || (slash - path) + 11 >= static_cast<long>(size))
        return false;
    std::strcpy(slash + 1, "MODEM.DBF");
    return true;
}

// The models of MODEM.DBF in the list; false when it cannot be read.
bool FillModels(HWND list)
{
    char path[MAX_PATH];
    if (!DatabasePath(path, sizeof path))
        return false;
    ModemDBF db(path, 1);
    if (db.Open() != 1)
        return false;
    static ModemInfoStruct info;
    for (long i = 1; i < db.GetCount(); i++)
        if (db.GetRecordFromOffset(&info, i, 1, eModemIndexModelName) == 1 && info.modelName[0])
            SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(info.modelName));
    db.Close();
    return true;
}

INT_PTR CALLBACK AddProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG: {
        g_addDialog = dialog;
        if (!FillModels(GetDlgItem(dialog, IDC_MODEL_LIST))) {
            Complain(dialog, IDS_NO_DATABASE);
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        SendDlgItemMessageA(dialog, IDC_MODEL_LIST, LB_SETCURSEL, 0, 0);
        for (int n = 1; n <= 9; n++) {
            char port[8];
            std::snprintf(port, sizeof port, "COM%d", n);
            SendDlgItemMessageA(dialog, IDC_PORT, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(port));
        }
        SendDlgItemMessageA(dialog, IDC_PORT, CB_SETCURSEL, 1, 0);
        return TRUE;
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
            char model[64] = "", port[8] = "";
            HWND list = GetDlgItem(dialog, IDC_MODEL_LIST);
            LRESULT at = SendMessageA(list, LB_GETCURSEL, 0, 0);
            if (at == LB_ERR || SendMessageA(list, LB_GETTEXTLEN, at, 0) >= LRESULT(sizeof model))
                return TRUE;
            SendMessageA(list, LB_GETTEXT, at, reinterpret_cast<LPARAM>(model));
            GetDlgItemTextA(dialog, IDC_PORT, port, sizeof port);
            if (!AddInstalledModem(model, port, nullptr)) {
                Complain(dialog, IDS_NOT_WRITTEN);
                return TRUE;
            }
            EndDialog(dialog, IDOK);
        } else if (LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, IDCANCEL);
        }
        return TRUE;
    case WM_DESTROY:
        g_addDialog = nullptr;
        return FALSE;
    }
    return FALSE;
}

INT_PTR CALLBACK ModemsProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG: {
        int tab = 150;
        SendDlgItemMessageA(dialog, IDC_MODEM_LIST, LB_SETTABSTOPS, 1, reinterpret_cast<LPARAM>(&tab));
        FillModems(dialog);
        return TRUE;
    }
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_ADD:
            if (DialogBoxParamA(g_module, MAKEINTRESOURCEA(IDD_ADD_MODEM), dialog, AddProc, 0) == IDOK)
                FillModems(dialog);
            return TRUE;
        case IDC_REMOVE: {
            LRESULT at = SendDlgItemMessageA(dialog, IDC_MODEM_LIST, LB_GETCURSEL, 0, 0);
            if (at != LB_ERR) {
                LRESULT i = SendDlgItemMessageA(dialog, IDC_MODEM_LIST, LB_GETITEMDATA, at, 0);
                RemoveInstalledModem(g_modems[i].key);
                FillModems(dialog);
            }
            return TRUE;
        }
        case IDOK:
        case IDCANCEL:
            EndDialog(dialog, IDOK);
            return TRUE;
        }
        return FALSE;
    case WM_CLOSE:
        // Closed while a modem is being installed: that install is
        // abandoned, nothing is written.
        if (g_addDialog)
            EndDialog(g_addDialog, IDCANCEL);
        EndDialog(dialog, IDOK);
        return TRUE;
    }
    return FALSE;
}

}  // namespace

extern "C" __declspec(dllexport) LONG WINAPI CPlApplet(HWND owner, UINT message, LPARAM param1,
                                                      LPARAM param2)
{
    switch (message) {
    case kCplInit:
        return 1;
    case kCplGetCount:
        return 1;
    case kCplInquire: {
        CplInfo* info = reinterpret_cast<CplInfo*>(param2);
        info->icon = IDI_MODEMS;
        info->name = IDS_NAME;
        info->info = IDS_INFO;
        info->data = 0;
        return 0;
    }
    case kCplDoubleClick:
        DialogBoxParamA(g_module, MAKEINTRESOURCEA(IDD_MODEMS), owner, ModemsProc, 0);
        return 0;
    }
    return 0;
}

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH)
        g_module = instance;
    return TRUE;
}
