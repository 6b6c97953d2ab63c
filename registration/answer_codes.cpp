#include "answer_codes.h"
#include <cstring>

bool AnswerChecked(const AnswerGroup& group, int i, const char* stored)
{
    return std::strchr(stored, group.letters[i]) != nullptr;
}

int AnswerRadioIndex(const AnswerGroup& group, const char* stored)
{
    for (int i = 0; group.letters[i]; i++)
        if (AnswerChecked(group, i, stored))
            return i;
    return -1;
}
