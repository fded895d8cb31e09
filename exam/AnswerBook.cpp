#include "exam/AnswerBook.h"

void AnswerBook::Record(const QString& id, const QString& letter, const QString& rightLetter)
{
    answers.Remove(id);
    answers.Add(id, letter);
    wrong.Remove(id);
    right.Remove(id);
    // Exact comparison: a right answer written "b" never matches the letter "B".
    (letter == rightLetter ? right : wrong).Add(id, id);
}

void AnswerBook::Clear()
{
    answers = OrderedDict();
    right = OrderedDict();
    wrong = OrderedDict();
}
