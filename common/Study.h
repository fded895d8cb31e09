#pragma once

class StudyStore;

// The program's one study record, opened on first use in the application's data folder. A problem
// on opening, and a write that is lost or put off, is told to the learner at that moment, once
// for each kind of problem in a run; the windows carry on.
StudyStore& Study();

// Closes the record; the next Study() opens it afresh and may tell of a problem again. The
// program closes it on quitting; tests use it to start over on a clean folder.
void CloseStudy();
