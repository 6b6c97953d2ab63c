#include "shell_link.h"

#include <objbase.h>
#include <shlobj.h>

namespace qvutil {

namespace {

std::wstring Wide(const std::string& s) {
    int n = MultiByteToWideChar(CP_ACP, 0, s.c_str(), -1, nullptr, 0);
    std::wstring w(n > 0 ? n : 1, L'\0');
    MultiByteToWideChar(CP_ACP, 0, s.c_str(), -1, &w[0], n);
    w.resize(n > 0 ? n - 1 : 0);
    return w;
}

std::string FolderOf(const std::string& path) {
    size_t slash = path.find_last_of("\\/");
    if (slash == std::string::npos)
        return std::string();
    if (slash == 2 && path[1] == ':')           // keep "C:\" a root
        return path.substr(0, 3);
    return path.substr(0, slash);
}

// Owns one COM interface pointer.
template <class T>
struct ComPtr {
    T* p = nullptr;
    ~ComPtr() { if (p) p->Release(); }
    T* operator->() const { return p; }
};

bool SaveLink(IShellLinkA* link, const std::string& linkPath) {
    ComPtr<IPersistFile> file;
    if (FAILED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file.p))))
        return false;
    return SUCCEEDED(file->Save(Wide(linkPath).c_str(), TRUE));
}

}  // namespace

bool WriteShellLink(const std::string& linkPath, const LinkDetails& d) {
    ComPtr<IShellLinkA> link;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&link.p))))
        return false;
    std::string workDir = d.workingDirectory.empty() ? FolderOf(d.target) : d.workingDirectory;
    // A link without arguments carries no arguments string at all.
    if (!d.arguments.empty() && FAILED(link->SetArguments(d.arguments.c_str())))
        return false;
    if (FAILED(link->SetPath(d.target.c_str())) ||
        FAILED(link->SetDescription(d.description.c_str())) ||
        FAILED(link->SetWorkingDirectory(workDir.c_str())) ||
        FAILED(link->SetShowCmd(d.showCommand)) ||
        FAILED(link->SetIconLocation(d.target.c_str(), d.iconIndex)))
        return false;
    return SaveLink(link.p, linkPath);
}

bool SetShellLinkArguments(const std::string& linkPath, const std::string& arguments) {
    ComPtr<IShellLinkA> link;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&link.p))))
        return false;
    ComPtr<IPersistFile> file;
    if (FAILED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file.p))) ||
        FAILED(file->Load(Wide(linkPath).c_str(), STGM_READWRITE)) ||
        FAILED(link->SetArguments(arguments.c_str())))
        return false;
    return SUCCEEDED(file->Save(nullptr, TRUE));
}

std::string ShellFolderPath(int csidl) {
    // SHGetSpecialFolderLocation is the form the first Windows 95 shell has.
    LPITEMIDLIST pidl = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(nullptr, csidl, &pidl)) || !pidl)
        return std::string();
    char path[MAX_PATH] = "";
    BOOL ok = SHGetPathFromIDListA(pidl, path);
    CoTaskMemFree(pidl);
    if (!ok || !path[0])
        return std::string();
    CreateDirectoryA(path, nullptr);     // a fresh profile may not have it yet
    return path;
}

}  // namespace qvutil
