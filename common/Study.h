#pragma once

class StudyStore;

// The program's one study record, opened on first use in the application's data folder. The
// first time it reports a problem, the learner is told in one notice; the windows carry on.
StudyStore& Study();

// Closes the record; the next Study() opens it afresh and may tell of a problem again. The
// program closes it on quitting; tests use it to start over on a clean folder.
void CloseStudy();
