// The survey answers as the record keeps them: a radio group as the letter
// of its checked button, a check-box group as the letters of its checked
// boxes in control order, joined by commas ("P,T"). Portable.
#ifndef QVWIZ_ANSWER_CODES_H
#define QVWIZ_ANSWER_CODES_H

#include <string>

// One group of controls with consecutive ids and a letter each.
struct AnswerGroup {
    int firstId;
    const char* letters;     // letter of control firstId + i at index i
    bool radio;
};

// checked(i) tells whether control firstId + i is checked.
template <class Checked>
std::string EncodeAnswers(const AnswerGroup& group, Checked checked)
{
    std::string text;
    for (int i = 0; group.letters[i]; i++) {
        if (!checked(i))
            continue;
        if (group.radio)
            return std::string(1, group.letters[i]);
        if (!text.empty())
            text += ',';
        text += group.letters[i];
    }
    return text;
}

// Whether control firstId + i is shown checked for the stored text: its
// letter occurs anywhere in it. A radio group checks only the first such
// control in id order (-1 for none).
bool AnswerChecked(const AnswerGroup& group, int i, const char* stored);
int AnswerRadioIndex(const AnswerGroup& group, const char* stored);

#endif
