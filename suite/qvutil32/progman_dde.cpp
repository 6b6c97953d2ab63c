#include "progman_dde.h"

namespace qvutil {

namespace {

const DWORD kExecuteTimeoutMs = 10000;
// Program Manager may still be starting when setup runs (the shell is
// started with the session); it is asked again for this long.
const DWORD kConnectPatienceMs = 5000;
const DWORD kConnectRetryMs = 100;

HDDEDATA CALLBACK IgnoreTransactions(UINT, UINT, HCONV, HSZ, HSZ, HDDEDATA, ULONG_PTR, ULONG_PTR) {
    return nullptr;
}

}  // namespace

bool ProgmanConversation::Open() {
    if (instance_)
        return true;
    return DdeInitializeA(&instance_, IgnoreTransactions, APPCMD_CLIENTONLY, 0) == DMLERR_NO_ERROR;
}

void ProgmanConversation::Close() {
    if (conversation_)
        DdeDisconnect(conversation_);
    conversation_ = nullptr;
    if (instance_)
        DdeUninitialize(instance_);
    instance_ = 0;
}

bool ProgmanConversation::Connect() {
    if (conversation_)
        return true;
    HSZ name = DdeCreateStringHandleA(instance_, "PROGMAN", CP_WINANSI);
    DWORD deadline = GetTickCount() + kConnectPatienceMs;
    for (;;) {
        conversation_ = DdeConnect(instance_, name, name, nullptr);
        if (conversation_ || static_cast<LONG>(GetTickCount() - deadline) >= 0)
            break;
        Sleep(kConnectRetryMs);
    }
    DdeFreeStringHandle(instance_, name);
    return conversation_ != nullptr;
}

bool ProgmanConversation::Execute(const std::string& command) {
    lastError_ = 0;
    if (!Open() || !Connect()) {
        lastError_ = instance_ ? DdeGetLastError(instance_) : DMLERR_DLL_NOT_INITIALIZED;
        return false;
    }
    DWORD result = 0;
    // The command's terminating zero is part of the data Program Manager reads.
    HDDEDATA ok = DdeClientTransaction(
        reinterpret_cast<LPBYTE>(const_cast<char*>(command.c_str())),
        static_cast<DWORD>(command.size() + 1), conversation_, nullptr, CF_TEXT, XTYP_EXECUTE,
        kExecuteTimeoutMs, &result);
    if (!ok)
        lastError_ = DdeGetLastError(instance_);
    return ok != nullptr;
}

}  // namespace qvutil
