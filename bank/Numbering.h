#pragma once

#include "bank/BankLoader.h"

#include <QList>
#include <QString>

// A question as the learner finds it: its chapter and its number in that chapter.
struct NumberedQuestion {
    QString id;
    int chapter = 0;  // 1..10
    int position = 0; // from 1, in file order within the chapter
    QString record;   // the record text
};

// The records that name a chapter, in file order, numbered within their chapter as chapter
// practice numbers them; a record naming no chapter is in no chapter's practice and left out.
QList<NumberedQuestion> NumberQuestions(const QList<BankRecord>& records);
