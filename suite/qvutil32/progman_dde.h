// A DDEML client conversation with Program Manager (service and topic
// "PROGMAN"), which takes its commands as XTYP_EXECUTE strings.
#ifndef QVUTIL_PROGMAN_DDE_H
#define QVUTIL_PROGMAN_DDE_H

#include <windows.h>
#include <ddeml.h>
#include <string>

namespace qvutil {

class ProgmanConversation {
public:
    ProgmanConversation() = default;
    ~ProgmanConversation() { Close(); }
    ProgmanConversation(const ProgmanConversation&) = delete;
    ProgmanConversation& operator=(const ProgmanConversation&) = delete;

    // Registers as a DDE client; connecting waits for the first command.
    bool Open();
    void Close();

    // Sends one command; true when Program Manager acknowledged it.
    bool Execute(const std::string& command);

    // The DDEML error of the last failed Execute (DMLERR_...), 0 if none.
    UINT LastError() const { return lastError_; }

private:
    bool Connect();

    DWORD instance_ = 0;
    HCONV conversation_ = nullptr;
    UINT lastError_ = 0;
};

}  // namespace qvutil

#endif
