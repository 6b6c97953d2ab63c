#include "modem_ident.h"

#include <string.h>

namespace {

bool AnswerContains(const char* const* answers, int answerCount, int index, const char* text)
{
    return index >= 0 && index < answerCount && answers[index] && strstr(answers[index], text);
}

}  // namespace

int IdentifyModels(const ModelIdentity* models, int modelCount, const char* const* answers,
                   int answerCount, const char** names)
{
    int found = 0;
    for (int i = 0; i < modelCount && found < kMostCandidates; ++i) {
        const ModelIdentity& model = models[i];
        if (model.identifyReply[0] &&
            AnswerContains(answers, answerCount, model.commandIndex, model.identifyReply))
            names[found++] = model.name;
    }
    if (found > 0)
        return found;
    for (int i = 0; i < modelCount && found < kMostCandidates; ++i) {
        const ModelIdentity& model = models[i];
        const char* maker = model.manufacturerReply;
        if (maker[0] && (AnswerContains(answers, answerCount, kFmfrCommandIndex, maker) ||
                         AnswerContains(answers, answerCount, kAti3CommandIndex, maker)))
            names[found++] = model.name;
    }
    return found;
}
