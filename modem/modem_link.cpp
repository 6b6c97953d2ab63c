#include "modem_link.h"

#include <stdarg.h>
#include <string.h>

namespace {

const int kListMax = 32;
const unsigned long kDefaultTimeoutMs = 3000;

eSetupShortStrItems ShortItemOf(int n) { return static_cast<eSetupShortStrItems>(n); }
eSetupLongStrItems LongItemOf(int n) { return static_cast<eSetupLongStrItems>(n); }
eSetupNumItems NumItemOf(int n) { return static_cast<eSetupNumItems>(n); }

/* The items of a list ending with kModemItemsEnd, first one given. */
int CollectItems(int first, va_list rest, int* items)
{
    int count = 0;
    for (int item = first; item != kModemItemsEnd; item = va_arg(rest, int)) {
        if (count < kListMax)
            items[count++] = item;
    }
    return count;
}

int CollectTexts(const char* first, va_list rest, const char** texts)
{
    int count = 0;
    for (const char* text = first; text; text = va_arg(rest, const char*)) {
        if (count < kListMax)
            texts[count++] = text;
    }
    return count;
}

}  // namespace

/* The engine's view of this link: its port, its profile, the clock and its
 * own virtual operations. */
class LinkIo : public ModemIo {
public:
    explicit LinkIo(ModemLink& link) : link_(link), port_(link.port_) {}

    int ReceivedCount() override { return port_ ? port_->RXCount() : 0; }
    int GetChar(char* c) override
    {
        int got = port_ ? port_->GetChar(c, 0) : 0;
        if (got)
            link_.wait_.Received();
        return got;
    }
    unsigned GetBuffer(unsigned char* dst, unsigned max) override
    {
        unsigned got = port_ ? port_->GetBuffer(dst, max) : 0;
        if (got)
            link_.wait_.Received();
        return got;
    }
    int PutString(const char* text, int mode) override
    {
        link_.wait_.Sent();
        return port_ ? port_->PutString(text, mode) : 0;
    }
    void PutChar(char c) override
    {
        link_.wait_.Sent();
        if (port_)
            port_->PutChar(c);
    }
    void FlushReceive() override
    {
        if (port_)
            port_->RXFlush(0);
    }
    void FlushTransmit() override
    {
        if (port_)
            port_->TXFlush();
    }
    void Notify(int type) override
    {
        if (port_)
            port_->CommNotify(static_cast<SetNotifyType>(type), 0, -1, -1);
    }
    bool CarrierOn() override
    {
        if (!port_)
            return false;
        port_->Status();
        return port_->Carrier() != 0;
    }
    void SetDtr(int on) override
    {
        if (port_)
            port_->Dtr(on);
    }
    void Delay(unsigned long ms) override { link_.Delay(ms); }
    unsigned long Now() override { return GetTickCount(); }
    void Idle(unsigned long flags) override { link_.Idle(flags); }
    void Block(unsigned long ms, bool wakeOnMessages) override
    {
        link_.wait_.Block(port_, ms, wakeOnMessages);
    }
    void EchoChar(char c) override { link_.EchoChar(c); }
    void OnWatchedReply() override { link_.OnWatchedReply(); }
    void ShortItem(int item, char* out, int size) override
    {
        link_.profile_.GetProfile(ShortItemOf(item), out, static_cast<unsigned short>(size),
                                  eDefaultsNone);
    }
    void LongItem(int item, char* out, int size) override
    {
        link_.profile_.GetProfile(LongItemOf(item), out, static_cast<unsigned short>(size),
                                  eDefaultsNone);
    }
    unsigned long NumberItem(int item) override
    {
        return link_.profile_.GetProfile(NumItemOf(item), eDefaultsNone);
    }

private:
    ModemLink& link_;
    GFSerial* port_;
};

ModemLink::ModemLink(GFSerial* port, long reserved)
    : port_(port), reserved_(reserved), profile_(0)
{
    memset(&state_, 0, sizeof state_);
    profile_.GetProfile(eSS_CommandPrefix, state_.prefix, sizeof state_.prefix, eDefaultsNone);
    unsigned short maxLine = 0;
    profile_.GetProfile(eN_MaxCommandLength, &maxLine, eDefaultsNone);
    state_.maxLine = maxLine;
}

ModemLink::~ModemLink()
{
    ModemEngine::ForgetLink(state_);
}

void ModemLink::EchoChar(char) {}

void ModemLink::OnWatchedReply() {}

void ModemLink::Idle(unsigned long flags)
{
    if ((flags & ModemFlags::Pump) && wait_.PumpDue()) {
        MSG msg;
        bool took = PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE) != FALSE;
        wait_.Pumped(took);
        if (took) {
            HWND top = GetTopWindow(NULL);
            if (!top || !IsDialogMessageA(top, &msg)) {
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
            }
        }
    }
    if (port_)
        port_->OnIdle();
}

BOOL ModemLink::SendInitString(int item)
{
    return SendProfileString(ModemFlags::Default, kDefaultTimeoutMs, item);
}

BOOL ModemLink::SendProfileString(unsigned long flags, unsigned long timeout, int item)
{
    LinkIo io(*this);
    return ModemEngine(io, state_).SendProfileString(flags, timeout, item);
}

BOOL ModemLink::HangUp()
{
    return HangUp(ModemFlags::Default, kDefaultTimeoutMs);
}

BOOL ModemLink::HangUp(unsigned long flags, unsigned long timeout)
{
    LinkIo io(*this);
    return ModemEngine(io, state_).HangUp(flags, timeout);
}

int ModemLink::SendItems(unsigned long flags, unsigned long timeout, int item, ...)
{
    int items[kListMax];
    va_list rest;
    va_start(rest, item);
    int count = CollectItems(item, rest, items);
    va_end(rest);
    LinkIo io(*this);
    return ModemEngine(io, state_).SendItems(flags, timeout, items, count);
}

int ModemLink::SendStrings(unsigned long flags, unsigned long timeout, const char* text, ...)
{
    const char* texts[kListMax];
    va_list rest;
    va_start(rest, text);
    int count = CollectTexts(text, rest, texts);
    va_end(rest);
    LinkIo io(*this);
    return ModemEngine(io, state_).SendStrings(flags, timeout, texts, count);
}

int ModemLink::SendCommand(unsigned long flags, unsigned long timeout, const char* line)
{
    LinkIo io(*this);
    return ModemEngine(io, state_).SendCommand(flags, timeout, line);
}

int ModemLink::WaitForItems(unsigned long flags, unsigned long timeout, int item, ...)
{
    int items[kListMax];
    va_list rest;
    va_start(rest, item);
    int count = CollectItems(item, rest, items);
    va_end(rest);
    LinkIo io(*this);
    return ModemEngine(io, state_).WaitForItems(flags, timeout, items, count);
}

int ModemLink::WaitForStrings(unsigned long flags, unsigned long timeout, const char* text, ...)
{
    const char* texts[kListMax];
    va_list rest;
    va_start(rest, text);
    int count = CollectTexts(text, rest, texts);
    va_end(rest);
    LinkIo io(*this);
    return ModemEngine(io, state_).WaitForStrings(flags, timeout, texts, count);
}

int ModemLink::WaitForCallResult(unsigned long flags, unsigned long timeout, int hangUpOnFailure)
{
    LinkIo io(*this);
    return ModemEngine(io, state_).WaitForCallResult(flags, timeout, hangUpOnFailure);
}

int ModemLink::CollectReply(unsigned long flags, unsigned long timeout, char* buffer, int size,
                            int item, ...)
{
    int items[kListMax];
    va_list rest;
    va_start(rest, item);
    int count = CollectItems(item, rest, items);
    va_end(rest);
    LinkIo io(*this);
    return ModemEngine(io, state_).CollectReply(flags, timeout, buffer, size, items, count);
}

int ModemLink::CollectUntil(unsigned long flags, unsigned long timeout, char* buffer, int size,
                            const char* end)
{
    LinkIo io(*this);
    return ModemEngine(io, state_).CollectUntil(flags, timeout, buffer, size, &end, 1);
}

int ModemLink::ReadLine(unsigned long flags, unsigned long timeout, char* out, int outSize)
{
    LinkIo io(*this);
    return ModemEngine(io, state_).ReadLine(flags, timeout, out, outSize);
}

int ModemLink::Dial(unsigned long flags, char* number, long reserved)
{
    unsigned long limit = profile_.GetProfile(eN_ConnectWait, eDefaultsNone);
    return DialWithLimit(flags, limit, number, reserved);
}

int ModemLink::DialWithLimit(unsigned long flags, unsigned long timeout, char* number, long)
{
    LinkIo io(*this);
    return ModemEngine(io, state_).DialWithLimit(flags, timeout, number);
}

void ModemLink::SendChar(unsigned long flags, char c)
{
    LinkIo io(*this);
    ModemEngine(io, state_).SendChar(flags, c);
}

void ModemLink::SendString(unsigned long flags, const char* text, int mode)
{
    LinkIo io(*this);
    ModemEngine(io, state_).SendString(flags, text, mode);
}

void ModemLink::Delay(unsigned long ms)
{
    if (port_)
        port_->Delay(ms);
}

int ModemLink::ResolveSettingItem(int item)
{
    LinkIo io(*this);
    return ModemEngine(io, state_).ResolveSettingItem(item);
}
