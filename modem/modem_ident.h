/* Telling a modem's model from its answers to the identification commands:
 * the matching passes over the models of the modem database. Portable. */
#ifndef QVWIZ_MODEM_IDENT_H
#define QVWIZ_MODEM_IDENT_H

/* What a model expects to read, and in the answer to which command. */
struct ModelIdentity {
    const char* name;
    const char* manufacturerReply;  /* in the answer to AT+FMFR? or ATI3 */
    const char* identifyReply;      /* in the answer to the model's own command */
    int commandIndex;               /* of that command in the command set */
};

enum {
    kFmfrCommandIndex = 0,          /* "AT+FMFR?" */
    kAti3CommandIndex = 1,          /* "ATI3" */
    kMostCandidates = 17
};

/* The names of the models whose identification reply occurs in the answer to
 * their command; when none does, of those whose manufacturer reply occurs in
 * the answer to AT+FMFR? or ATI3. In model order, at most 17, into names;
 * the count. answers[i] is the first line the modem gave to command i. */
int IdentifyModels(const ModelIdentity* models, int modelCount, const char* const* answers,
                   int answerCount, const char** names);

#endif
