#pragma once

#include "bank/OrderedDict.h"

// The answers of one exam. Every recorded question is in Letters() with its latest letter and
// in exactly one of Right() and Wrong(); re-recording moves it to the end of
// each, so the key order is the order of latest recording.
class AnswerBook {
public:
    void Record(const QString& id, const QString& letter, const QString& rightLetter);
    void Clear();

    const OrderedDict& Letters() const { return answers; }
    const OrderedDict& Right() const { return right; }
    const OrderedDict& Wrong() const { return wrong; }

    int Score() const { return static_cast<int>(right.Count()); }

private:
    OrderedDict answers;
    OrderedDict right;
    OrderedDict wrong;
};
