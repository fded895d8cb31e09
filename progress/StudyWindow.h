#pragma once

#include "bank/Cipher.h"
#include "bank/Numbering.h"
#include "progress/StudyPlan.h"
#include "study/Forecast.h"
#include "study/StudyQueries.h"

#include <QTimer>
#include <QWidget>
#include <memory>

class QCategoryAxis;
class QScrollArea;
class QLineSeries;

namespace Ui
{
class StudyWindow;
}

// The study record of the chosen bank: progress per chapter, the exam history with a chart of
// the scores, the wrong-question book and its practice, and clearing the record.
class StudyWindow : public QWidget
{
    Q_OBJECT
public:
    explicit StudyWindow(QWidget* parent = nullptr);
    ~StudyWindow() override;

    // Reads the bank's questions: which chapter each id belongs to.
    void ReadData();
    // Reads the record and shows it, or says plainly that there is none.
    void ShowRecord();

    // What the window shows: written only by ReadData and ShowRecord, read by the tests.
    ChapterOf chapterOf;
    ExamShape examShape;                        // the bank's mock exam, for the forecast
    QStringList chapterOrder;                   // the bank's questions as chapter practice goes
    QHash<QString, NumberedQuestion> questions; // by id
    QStringList wrongBook;  // the wrong-question book in the order the questions entered it
    QStringList missedRows; // the rows of tblMissed, most often wrong first
    QStringList favourites; // the marked questions the bank has, in the order they were marked
    static constexpr int MissedShown = 20;

public slots:
    void PractiseWrongBook();
    void ClearRecord();
    void PractiseMissed();
    void PractiseFavourites();
    void PractiseMissedFrom(int row);
    // A test date chosen, or none (未设定): the plan follows it at once.
    void TestDateChosen(QDate date);

protected:
    // Coming back from practice or an exam, the learner sees the record as it is now.
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void SetUpTables();
    void SetUpChart();
    void ScrollRecord();
    // Shows the record again whenever this program writes to it, from any window.
    void FollowTheRecord();
    void ShowNoRecord(const QString& text);
    void ShowChapters(const PerChapter& progress,
                      const std::array<int, Record::ChapterCount>& book);
    void ShowChapterRow(int row, const QString& title, const ChapterProgress& progress, int book);
    void ShowExams(const QList<FinishedExam>& exams);
    void ShowChart(const QList<FinishedExam>& exams, const QList<ForecastPoint>& history);
    void ShowForecast(const QHash<QString, QList<TimedAnswer>>& answers,
                      const QList<FinishedExam>& exams, double now);
    void ShowPlan();
    void ShowForecastLabel();
    void ShowTestDate();
    void ShowFavourites(const QStringList& marked);
    void ShowMissed(const QList<MissedQuestion>& missed);
    QString TextStart(const NumberedQuestion& question);
    bool RecordMayHaveChanged() const;

    std::unique_ptr<Ui::StudyWindow> ui;
    QLineSeries* scores = nullptr;
    QLineSeries* passLine = nullptr;
    QLineSeries* forecasts = nullptr;
    // The forecast over the days before today, for these answers: worked out again only when
    // they change.
    QHash<QString, QList<TimedAnswer>> historyAnswers;
    MemoryWeights historyWeights;
    QList<ForecastPoint> history;
    ::Cipher cipher;
    QCategoryAxis* dayAxis = nullptr;
    QScrollArea* recordScroll = nullptr;
    QTimer recordChanged; // one refresh for the many rows of one write
    // What the record said when last shown, and the plan worked out from it.
    std::optional<Guidance> guidance;
    QList<FinishedExam> shownExams;
    std::optional<StudyPlan> plan;
    QTimer planDue;
    // The record as last shown, and the day it was shown on: the forecast looks at today.
    RecordVersion shownVersion;
    QDate shownDay;
};
