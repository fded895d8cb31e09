#pragma once

#include "bank/Numbering.h"
#include "study/StudyQueries.h"

#include <QList>
#include <QString>
#include <QStringList>

// The question ids of each topic, in the order of Topics::Names, each topic's ids in the order
// the questions come; a question counts once in each topic it names.
QList<QStringList> QuestionsByTopic(const QList<NumberedQuestion>& questions);

// The share of a topic's answered questions whose latest answer was right, as a whole
// percentage; "—" before any answer.
QString ShareText(const ChapterProgress& progress);
