// GFSerial::WaitForInput, this QVCOMM32's extra, in an object of its own: a
// module imports it only when it calls it, and the wizard library must not.
#include "qvcomm32.h"
#include "qvcomm32_calls.h"

extern "C" int GFSerialCallWaitForInput(SuiteGFSerial* port, unsigned long ms, int wakeOnMessages)
{
    return reinterpret_cast<GFSerial*>(port)->WaitForInput(ms, wakeOnMessages);
}
