/* The proxy's calls of the members that group writes: an object file of
 * their own, linked only into the modules that use them. */
#include "qvstp32.h"
#include "qvstp32_calls.h"

void CallProfileBeginUpdate(void* profile) {
    static_cast<CQSetupProfile*>(profile)->BeginUpdate();
}

int CallProfileEndUpdate(void* profile) {
    return static_cast<CQSetupProfile*>(profile)->EndUpdate();
}
