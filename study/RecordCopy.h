#pragma once

// Copying the rows of one study record into another: what a damaged record still holds, a backup,
// a record brought from another computer. A row the target already has is not copied twice, so
// copying the same record again adds nothing.

#include <QSqlDatabase>

struct CopiedRows {
    int answers = 0; // answers and looks
    int exams = 0;
    int favourites = 0;
    int alreadyThere = 0; // rows the target had already
    // Rows the source could not give: on a damaged page, as far as their row numbers tell.
    int unreadable = 0;

    int Copied() const { return answers + exams + favourites; }
    CopiedRows& operator+=(const CopiedRows& more)
    {
        answers += more.answers;
        exams += more.exams;
        favourites += more.favourites;
        alreadyThere += more.alreadyThere;
        unreadable += more.unreadable;
        return *this;
    }
};

// Copies into `into` (a store of the current version, its connection open and in no transaction)
// every row of the study record `from` (of this version or an earlier one) that `into` lacks, in
// one transaction, then files the wrong-question book again from all the answers. A damaged page
// of `from` costs only its own rows. An exam whose own row cannot be read keeps its answers under
// an abandoned exam of their time, so they still count as answers and not as a score. Throws
// SqlFailure (study/Sql.h) when `into` cannot be written; nothing is copied then.
//
// A row keeps its row number where the target's is free, so that answers keep their order (the
// order they are replayed in) and a copy of the same record finds them again: an exam is the same
// when its row number, bank and start are, an answer when its row number, time, bank, question,
// kind, letter, verdict and look are, a favourite when its bank and question are. The same exam
// further along (finished or abandoned where the target has it started) brings its result.
CopiedRows CopyRows(const QSqlDatabase& from, const QSqlDatabase& into);
