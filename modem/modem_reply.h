/* The pure text work of the modem engine: reply texts with caret escapes,
 * the reply table a wait matches received characters against, line ends,
 * and trimming a modem's output to its first line. Portable. */
#ifndef QVWIZ_MODEM_REPLY_H
#define QVWIZ_MODEM_REPLY_H

#include <stddef.h>

/* One reply a wait looks for. A length of 0 ends the table. */
struct ModemReply {
    char text[30];      /* after caret decoding */
    int progress;       /* characters matched so far */
    int length;
};

enum {
    kReplyTableSize = 17,   /* 16 replies and the end entry */
    kReplyTextMax = 29
};

/* Copies text into out (outSize bytes, NUL-terminated, cut to fit) turning
 * "^c" into the control character c - 64 (^M is CR, ^J is LF). A caret at
 * the very end is kept as it is. */
void DecodeCarets(const char* text, char* out, size_t outSize);

/* Fills the table with the texts (each cut to 29 characters, then decoded),
 * at most 16 of them, and the end entry. */
void LoadReplyTable(ModemReply* table, const char* const* texts, int count);

/* Advances every entry with one received character, in table order. An
 * entry that completes is reset and its index returned; -1 when none did.
 * A character that breaks an entry's progress resets it without being tried
 * as that entry's first character again. */
int FeedReplyTable(ModemReply* table, char c);

/* Whether the line so far (its last character just added) is complete for
 * the ReadLine line-end flags given. */
bool LineComplete(const char* line, size_t length, unsigned long flags);

/* A modem's output cut to its first line: one or two leading CR/LF
 * characters dropped, then the text ended at the first CR. In place. */
void TrimToFirstLine(char* text);

#endif
