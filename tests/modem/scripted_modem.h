// A modem played from a script for the engine's native tests and fuzzer:
// text arrives at given times on a clock that only moves when the engine
// blocks, and every line sent is recorded.
#ifndef QVWIZ_TEST_SCRIPTED_MODEM_H
#define QVWIZ_TEST_SCRIPTED_MODEM_H

#include <string.h>

#include <deque>
#include <functional>
#include <map>
#include <string>

#include "modem_engine.h"

struct ScriptedModem : ModemIo {
    struct Arrival {
        unsigned long at;
        std::string text;
    };
    std::deque<Arrival> script;
    std::string arrived, sent;
    std::map<int, std::string> items;
    std::map<int, unsigned long> numbers;
    unsigned long now = 1000;
    int idles = 0, blocks = 0, watched = 0;
    int sendLimit = -1;                          // characters the port accepts, -1 all
    bool carrier = false;
    bool dtrDropsCarrier = false;                // a modem set to hang up on DTR (&D2)
    std::function<void(ScriptedModem&)> onIdle;  // e.g. a button that sets the abort field
    std::function<std::string(const std::string&)> answer;  // reply to a line sent

    void Arrive(unsigned long after, const std::string& text) { script.push_back({now + after, text}); }
    void Deliver()
    {
        while (!script.empty() && script.front().at <= now) {
            arrived += script.front().text;
            script.pop_front();
        }
    }
    int ReceivedCount() override { Deliver(); return static_cast<int>(arrived.size()); }
    int GetChar(char* c) override { return GetBuffer(reinterpret_cast<unsigned char*>(c), 1); }
    unsigned GetBuffer(unsigned char* dst, unsigned max) override
    {
        Deliver();
        unsigned n = arrived.size() < max ? static_cast<unsigned>(arrived.size()) : max;
        memcpy(dst, arrived.data(), n);
        arrived.erase(0, n);
        return n;
    }
    int PutString(const char* text, int mode) override
    {
        std::string line = std::string(text) + (mode == -2 ? "\r" : "");
        if (sendLimit >= 0 && static_cast<int>(line.size()) > sendLimit)
            line.resize(sendLimit);
        sent += line;
        if (answer)
            Arrive(5, answer(line));
        return static_cast<int>(line.size());
    }
    void PutChar(char c) override
    {
        sent += c;
        if (answer)
            Arrive(5, answer(std::string(1, c)));
    }
    void FlushReceive() override { Deliver(); arrived.clear(); }
    void FlushTransmit() override {}
    void Notify(int) override {}
    bool CarrierOn() override { return carrier; }
    void SetDtr(int on) override
    {
        sent += on ? "<dtr on>" : "<dtr off>";
        if (!on && dtrDropsCarrier)
            carrier = false;
    }
    void Delay(unsigned long ms) override { now += ms; }
    unsigned long Now() override { return now; }
    void Idle(unsigned long) override
    {
        ++idles;
        if (onIdle)
            onIdle(*this);
    }
    void Block(unsigned long ms, bool) override
    {
        ++blocks;
        unsigned long until = now + ms;
        if (!script.empty() && script.front().at < until)
            until = script.front().at;
        now = until;
    }
    void EchoChar(char) override {}
    void OnWatchedReply() override { ++watched; }
    void ShortItem(int item, char* out, int size) override { Copy(items[item], out, size); }
    void LongItem(int item, char* out, int size) override { Copy(items[item], out, size); }
    unsigned long NumberItem(int item) override { return numbers[item]; }
    static void Copy(const std::string& value, char* out, int size)
    {
        strncpy(out, value.c_str(), size - 1);
        out[size - 1] = '\0';
    }
};

#endif
