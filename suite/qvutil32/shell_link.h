// Shell links (.lnk files) through the shell's IShellLink object.
#ifndef QVUTIL_SHELL_LINK_H
#define QVUTIL_SHELL_LINK_H

#include <windows.h>
#include <string>

namespace qvutil {

struct LinkDetails {
    std::string target;
    std::string arguments;
    std::string description;
    std::string workingDirectory;   // empty: the target's folder
    int showCommand = SW_SHOWNORMAL;
    int iconIndex = 0;
};

// Writes a new link file at linkPath. COM must be initialised on the thread.
bool WriteShellLink(const std::string& linkPath, const LinkDetails& details);

// Replaces the arguments of an existing link file.
bool SetShellLinkArguments(const std::string& linkPath, const std::string& arguments);

// A shell folder's path (CSIDL_...), created when it is missing; empty on failure.
std::string ShellFolderPath(int csidl);

}  // namespace qvutil

#endif
