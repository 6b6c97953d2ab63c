/* Small helpers the exported database classes import. */
#include "cbase4.h"

#include <string.h>

unsigned u4ncpy(char* to, const char* from, unsigned size)
{
    if (!to || !size)
        return 0;
    unsigned n = 0;
    for (; from && n + 1 < size && from[n]; n++)
        to[n] = from[n];
    to[n] = '\0';
    return n;
}
