// QVUTIL32.DLL: the suite's start-up items, as shell links in the user's
// Startup folder (Windows 95 shell) or as Program Manager items over DDE.
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <string>
#include <type_traits>

#include "progman_dde.h"
#include "progman_text.h"
#include "qvutil.h"
#include "shell_link.h"

using namespace qvutil;

namespace {

struct UtilState {
    bool comStarted = false;
    ProgmanConversation progman;
    std::string currentGroup;   // the group the last ProgmanManageGroup made current
};
UtilState* g_state = nullptr;

bool FileExists(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string WithLinkExtension(std::string name) {
    size_t n = name.size();
    if (n < 4 || lstrcmpiA(name.c_str() + n - 4, ".lnk") != 0)
        name += ".lnk";
    return name;
}

std::string Text(const char* s) { return s ? s : ""; }

// Where a Program Manager item of the current group lives as a link, if the
// shell keeps groups as Start Menu folders (both the user's and all users').
std::string FindGroupItemLink(const std::string& group, const std::string& description) {
    for (int csidl : {CSIDL_PROGRAMS, CSIDL_COMMON_PROGRAMS}) {
        std::string folder = ShellFolderPath(csidl);
        if (folder.empty())
            continue;
        std::string path = folder + "\\" + group + "\\" + WithLinkExtension(description);
        if (FileExists(path))
            return path;
    }
    return std::string();
}

}  // namespace

extern "C" {

int __cdecl InitQVUtil(int programManagerShell) {
    if (g_state)
        return 1;
    g_state = new UtilState;
    HRESULT hr = CoInitialize(nullptr);
    g_state->comStarted = SUCCEEDED(hr);       // S_FALSE too: it must be balanced
    if (FAILED(hr) && hr != RPC_E_CHANGED_MODE) {
        delete g_state;
        g_state = nullptr;
        return 0;
    }
    if (programManagerShell && !g_state->progman.Open()) {
        if (g_state->comStarted)
            CoUninitialize();
        delete g_state;
        g_state = nullptr;
        return 0;
    }
    return 1;
}

void __cdecl DeInitQVUtil(void) {
    if (!g_state)
        return;
    g_state->progman.Close();
    if (g_state->comStarted)
        CoUninitialize();
    delete g_state;
    g_state = nullptr;
}

// workDir: null or empty means the target's folder. showCommand: an SW_
// value, 0 meaning SW_SHOWNORMAL. iconIndex: the icon inside the target.
int __cdecl CreateShortcutInStartup(const char* linkName, const char* target,
                                    const char* description, const char* workDir,
                                    const char* arguments, int showCommand, int iconIndex) {
    if (!g_state || !linkName || !*linkName || !target || !*target)
        return 0;
    std::string folder = ShellFolderPath(CSIDL_STARTUP);
    if (folder.empty())
        return 0;
    LinkDetails details;
    details.target = target;
    details.arguments = Text(arguments);
    details.description = Text(description);
    details.workingDirectory = Text(workDir);
    details.showCommand = showCommand ? showCommand : SW_SHOWNORMAL;
    details.iconIndex = iconIndex;
    return WriteShellLink(folder + "\\" + WithLinkExtension(linkName), details) ? 1 : 0;
}

// Creates the group if it does not exist, makes it current and shows it.
// groupFile: Program Manager's group file; when it is empty or the group's
// own name, Program Manager picks the file. showCommand: the ShowGroup
// command (1 normal, 2 minimised...), 0 meaning 1.
int __cdecl ProgmanManageGroup(const char* group, const char* groupFile, int showCommand) {
    if (!g_state || !group || !*group)
        return 0;
    std::string file = Text(groupFile);
    std::string create = (file.empty() || lstrcmpiA(file.c_str(), group) == 0)
                             ? ProgmanCommand("CreateGroup", {group})
                             : ProgmanCommand("CreateGroup", {group, file});
    if (!g_state->progman.Execute(create))
        return 0;
    std::string show = std::to_string(showCommand ? showCommand : 1);
    g_state->progman.Execute("[ShowGroup(" + ProgmanQuote(group) + "," + show + ")]");
    g_state->currentGroup = group;
    return 1;
}

// Adds an item to the current group. The command line may carry arguments,
// in any of the forms SplitCommandLine reads. Program Manager is first given
// the program and its arguments as one command line; a shell that refuses
// arguments there (it keeps items as links and wants an existing file) gets
// the program alone, and the arguments are then written into the item's link.
int __cdecl ProgmanAddItem(const char* description, const char* commandLine) {
    if (!g_state || !description || !*description || !commandLine)
        return 0;
    CommandLine split = SplitCommandLine(commandLine, FileExists);
    if (split.program.empty())
        return 0;
    ProgmanConversation& progman = g_state->progman;
    if (split.arguments.empty())
        return progman.Execute(ProgmanCommand("AddItem", {split.program, description})) ? 1 : 0;

    std::string whole = split.program + " " + split.arguments;
    if (progman.Execute(ProgmanCommand("AddItem", {whole, description})))
        return 1;
    if (!progman.Execute(ProgmanCommand("AddItem", {split.program, description})))
        return 0;
    std::string link = FindGroupItemLink(g_state->currentGroup, description);
    if (!link.empty() && SetShellLinkArguments(link, split.arguments))
        return 1;
    // An item that would start the program without its arguments is worse
    // than none: take it away again.
    progman.Execute(ProgmanCommand("DeleteItem", {description}));
    return 0;
}

}  // extern "C"

// The exports must keep the types the callers look them up as.
static_assert(std::is_same<decltype(&InitQVUtil), InitQVUtilFn>::value, "InitQVUtil");
static_assert(std::is_same<decltype(&DeInitQVUtil), DeInitQVUtilFn>::value, "DeInitQVUtil");
static_assert(std::is_same<decltype(&CreateShortcutInStartup), CreateShortcutInStartupFn>::value,
              "CreateShortcutInStartup");
static_assert(std::is_same<decltype(&ProgmanManageGroup), ProgmanManageGroupFn>::value,
              "ProgmanManageGroup");
static_assert(std::is_same<decltype(&ProgmanAddItem), ProgmanAddItemFn>::value, "ProgmanAddItem");
