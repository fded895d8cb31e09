#pragma once

#include <QHash>


// One run through a chapter, from its start: which positions have been judged, and whether the
// first judgement of each was right. Only the first judgement of a question counts.
class PracticeRun {
public:
    // Returns true when this is the question's first judgement in the run.
    bool Judge(int position, bool right)
    {
        if (firstRight.contains(position))
            return false;
        firstRight.insert(position, right);
        if (right)
            ++rightAtFirstTry;
        return true;
    }
    int RightAtFirstTry() const { return rightAtFirstTry; }
    void Reset()
    {
        firstRight.clear();
        rightAtFirstTry = 0;
    }

private:
    QHash<int, bool> firstRight; // position in the chapter -> first judgement
    int rightAtFirstTry = 0;
};
