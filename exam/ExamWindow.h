#pragma once

#include "bank/Cipher.h"
#include "bank/OrderedDict.h"
#include "common/QuestionPanel.h"
#include "exam/AnswerBook.h"
#include "exam/ExamRules.h"

#include <QStringList>
#include <QWidget>
#include <functional>
#include <memory>

class QCloseEvent;
class QTimer;
struct ExamResult;

namespace Ui
{
class ExamWindow;
}

// The mock exam: 50 choice and 50 true/false questions drawn from the bank, 45 minutes, the
// score, then a replay of the wrong answers with the right ones selected; the answer card
// shows any question of a handed-in exam with its right answer.
class ExamWindow : public QWidget
{
    Q_OBJECT
public:
    // Where the draw takes its values, each in [0, 1).
    using DrawSource = std::function<float()>;

    // The exam draws with the clock-seeded generator unless told otherwise (tests draw in an
    // order they know).
    explicit ExamWindow(QWidget* parent = nullptr, DrawSource drawSource = ClockSeededValue);
    ~ExamWindow() override;

    // Loads the bank into the two pools and draws the exam; false when no exam can be drawn.
    bool ReadData();
    // Records the choice on display, then shows question n of the choice (kind 0) or
    // true/false draw list; (0, 0) records only.
    void GotoQuestion(int n, int kind);
    // Shows review position pos with its right answer selected; records nothing.
    void GotoWrongQuestion(int pos);
    // The questions answered so far, the choice on display counted as soon as it is made.
    int AnsweredCount() const;

    // The exam's state: written only by the handlers, read by the tests.
    OrderedDict trueFalsePool; // true/false records under "k_1", "k_2", ... in file order
    OrderedDict choicePool;    // choice records, numbered the same way
    QString trueFalseDrawText; // draw lists: ",17,5,233,"
    QString choiceDrawText;
    QStringList
        trueFalseDraw; // the draw lists split on ","; elements 1..50 are the exam's questions
    QStringList choiceDraw;
    AnswerBook answers;
    OrderedDict reviewOrder; // the wrong answers: "k_1", ... -> question identity
    int position = 1;        // exam position 1..100, or review position
    bool reviewing = false;  // next and previous walk the wrong answers
    bool handedIn = false;   // handed in: the score stands, every question can be looked at
    ::Cipher cipher;
    QTimer* clockTimer = nullptr;
    qint64 studyExam = 0; // the exam's row in the study record, 0 for none

public slots:
    void StartExam();
    void NextQuestion();
    void PreviousQuestion();
    void AskForResult();
    void StartReview();
    void Tick();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void ShowNoExam();
    bool Running() const;
    bool HasChoiceOnDisplay() const;
    bool IsAnswered(const QString& id) const;
    void ChoiceMade();
    void ShowRemaining();
    // Ends the exam for good; the result box says reason (the time is up) before the score.
    void HandIn(const QString& reason);
    void ShowResult();
    // The clock, red in the exam's last minutes.
    void ShowClock(const QString& clock);
    void ShowFinishedQuestion(int target);
    void ShowReviewed(const QString& id);
    int ReviewPositionOf(const QString& id) const;
    int LastPosition() const;
    void MoveTo(int target);
    void AbandonStart();
    void SetSteppingEnabled(bool enabled);
    QString DisplayedId() const;
    // The question identity at draw list index n of kind, as the answer book keys it.
    QString IdOf(int n, int kind) const;
    QString IdAtPosition(int at) const;
    QString RecordOf(const QString& id) const;
    void CardClicked(int clicked);
    void RefreshCard();
    ExamResult Sheet() const;
    void LeaveExam();

    std::unique_ptr<Ui::ExamWindow> ui;
    QuestionPanel panel;
    DrawSource drawSource;
};
