/* What QVSTP32's class face (qvstp32_face.cpp, compiled in the suite's
 * Windows C++ ABI) calls in the code behind it (qvstp32.cpp, MinGW): plain C
 * functions over one open store per CQSetupProfile object. */
#ifndef PROFILE_CORE_H
#define PROFILE_CORE_H

struct QVProfileStore;

enum ProfileTextKind { kProfileShortText, kProfileLongText };

extern "C" {

/* The store as it is now; never NULL. */
QVProfileStore* ProfileOpen(void);
/* Ends an update left open, then frees the store. */
void ProfileClose(QVProfileStore* store);

/* An item out of range reads as "" or 0. With buffer NULL the value's own
 * address, valid until ProfileClose. */
const char* ProfileGetText(QVProfileStore* store, ProfileTextKind kind, int item, char* buffer,
                           unsigned short size);
unsigned long ProfileGetNumber(QVProfileStore* store, int item);

/* 1 when stored (or kept, during an update), 0 otherwise. */
int ProfileSetText(QVProfileStore* store, ProfileTextKind kind, int item, const char* value);
int ProfileSetNumber(QVProfileStore* store, int item, unsigned long value);

void ProfileBeginUpdate(QVProfileStore* store);
int ProfileEndUpdate(QVProfileStore* store);

}

#endif
