/* The option bits every ModemLink operation takes and the codes its sending
 * and waiting operations return. Portable: no Windows headers. */
#ifndef QVWIZ_MODEM_FLAGS_H
#define QVWIZ_MODEM_FLAGS_H

struct ModemFlags {
    enum : unsigned long {
        WaitResult = 0x1,       /* after sending a command, wait for OK or ERROR */
        Prefix = 0x2,           /* each command line begins with the command prefix */
        Terminate = 0x4,        /* send lines with the port's command terminator */
        Poll = 0x8,             /* a wait that finds nothing returns Pending at once */
        EchoReceived = 0x10,    /* received characters go to EchoChar */
        FlushReceive = 0x20,    /* discard received data before a command */
        FlushTransmit = 0x40,   /* discard unsent data before a command */
        BulkRead = 0x80,        /* read up to 59 characters at once instead of one */
        Uppercase = 0x100,      /* upper-case what a wait reads before matching */
        LineCrLf = 0x200,       /* ReadLine: a line ends at CR LF */
        LineCr = 0x400,         /* ReadLine: a line ends at CR */
        LineLf = 0x800,         /* ReadLine: a line ends at LF */
        Pump = 0x1000,          /* Idle dispatches one window message */
        SkipSpaces = 0x2000,    /* spaces are ignored when matching */
        Watch = 0x8000,         /* ReadLine looks for the watched reply */
        EchoSent = 0x40000,     /* sent characters go to EchoChar */

        /* What SendInitString and HangUp use. */
        Default = WaitResult | Prefix | Terminate | FlushReceive | FlushTransmit | BulkRead |
                  LineCrLf | Pump
    };
};

/* A wait that looks for replies returns the index (0 to 9) of the one found;
 * everything else is one of these. */
struct ModemResult {
    enum : int {
        NoMatch = 10,       /* the characters examined completed no reply */
        SendFailed = 11,    /* the port sent fewer characters than given */
        TimedOut = 12,
        Pending = 13,       /* Poll was set and nothing has been found yet */
        Cancelled = 14,     /* the abort field was set */
        Ok = 15,
        Connect = 16,       /* dial results: 15 + the reply's index in items 116 to 124 */
        NoCarrier = 17,
        Error = 18,
        NoDialTone = 19,
        Busy = 20,
        NoAnswer = 21,
        OtherFailure = 22
    };
};

/* Ends the lists of profile items passed to SendItems, WaitForItems and
 * CollectReply. */
enum { kModemItemsEnd = 171 };

#endif
