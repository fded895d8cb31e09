#pragma once

#include "bank/Cipher.h"
#include "bank/OrderedDict.h"
#include "bank/Record.h"
#include "common/QuestionPanel.h"
#include "practice/PracticeRun.h"
#include "study/Review.h"

#include <QTimer>
#include <QWidget>
#include <array>
#include <memory>
#include <optional>

namespace Ui
{
class PracticeWindow;
}

// The title a chapter number (as text) has in the chapter list; empty for any other text.
QString ChapterTitle(const QString& number);

// Chapter practice: the questions of one chapter in file order; a move needs the right option,
// a wrong one (or none) reveals the right answer. The chapter and the question last shown are
// remembered for the next window, which offers to go on there.
class PracticeWindow : public QWidget
{
    Q_OBJECT
public:
    explicit PracticeWindow(QWidget* parent = nullptr);
    ~PracticeWindow() override;

    // Loads the bank into the ten chapter pools.
    void ReadData();
    // Checks the choice on display, if any; when it is right (or nothing is on display) shows
    // question n of the chapter at list index chapter (of listPool at ListPoolIndex) and returns
    // true.
    bool GotoQuestion(int n, int chapter);
    // Shows question n of the chapter at list index chapter, with no option selected and no
    // answer revealed, whatever is on display.
    void ShowQuestion(int n, int chapter);
    // Today's review (今日复习) as practice over its list: the questions answered wrong, those
    // due, then new ones, counted down as they are answered.
    void ReviewToday(const ReviewList& list);
    // The learner's cap on new questions a day, kept in the settings; none: 自动, as the plan
    // says.
    static std::optional<int> NewPerDay();
    static void SetNewPerDay(int count); // below 0: 自动
    // Practice over the questions of ids in their order (the wrong-question book, a topic, a
    // search's results) instead of a chapter: no chapter to choose, no start; the question first
    // (question 1 when it is empty or not in the list) is shown at once.
    void PracticeQuestions(const QStringList& ids, const QString& caption,
                           const QString& first = {});

    // The window's state: written only by the handlers, read by the tests.
    std::array<OrderedDict, Record::ChapterCount>
        chapterPools;                                     // chapter k at index k-1: "k_1", ...
    std::array<int, Record::ChapterCount> chapterSizes{}; // records loaded per chapter
    int position = 1;                                     // the question on display, from 1
    PracticeRun run;                                      // since the last start
    ::Cipher cipher;
    OrderedDict listPool; // PracticeQuestions' records: "k_1", ... in the order given
    static constexpr int ListPoolIndex = Record::ChapterCount;

public slots:
    void ChapterChosen();
    void StartPractice();
    void ResumePractice();
    void NextQuestion();
    void PreviousQuestion();

private:
    void LoadChapters();
    // Moves when the choice on display is right; false when the move was refused.
    bool MoveTo(int target);
    int ChapterSize() const;
    void SetSteppingEnabled(bool enabled);
    QString RevealedAnswer() const;
    void Reveal(const QString& chosen);
    void ShowRightNote();
    void HideRightNote();
    void Begin(int first = 1);
    void RememberPosition() const;
    void OfferResume();
    void ClearRevealedAnswer();
    void ShowChapterDone();
    void SetDoneLine(const QString& text);
    void FileList(const QStringList& ids);
    // The list position of the question id, 0 when the list lacks it.
    int ListPosition(const QString& id) const;
    const OrderedDict* PoolAt(int index) const;
    int PoolIndex() const;
    void RecordFirstTry(const QString& chosen, bool right);
    QStringList BankOrder() const;
    void ShowReviewCounts();
    QString ReviewDoneText() const;

    std::unique_ptr<Ui::PracticeWindow> ui;
    QuestionPanel panel;
    QTimer rightNote; // hides "回答正确" again
    bool listPractice = false;
    QStringList untried; // the fields of the question on display until its first judgement
    std::optional<ReviewProgress> review; // in today's review: what is left of its list
};
