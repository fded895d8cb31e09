#pragma once

#include "study/StudyQueries.h"

#include <QTimer>
#include <QWidget>
#include <memory>

class QCategoryAxis;
class QScrollArea;
class QLineSeries;

namespace Ui
{
class FormStudy;
}

// The study record of the chosen bank: progress per chapter, the exam history with a chart of
// the scores, the wrong-question book and its practice, and clearing the record.
class FormStudy : public QWidget
{
    Q_OBJECT
public:
    explicit FormStudy(QWidget* parent = nullptr);
    ~FormStudy() override;

    // Reads the bank's questions: which chapter each id belongs to.
    void ReadData();
    // Reads the record and shows it, or says plainly that there is none.
    void ShowRecord();

    // What the window shows: written only by ReadData and ShowRecord, read by the tests.
    ChapterOf mchapters;
    QStringList mbook; // the wrong-question book in the order the questions entered it

public slots:
    void cmdWrong_Click();
    void cmdClear_Click();

protected:
    // Coming back from practice or an exam, the learner sees the record as it is now.
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void Form_Load();
    void SetUpChart();
    void ScrollRecord();
    // Shows the record again whenever this program writes to it, from any window.
    void FollowTheRecord();
    void ShowNoRecord(const QString& text);
    void ShowChapters(const PerChapter& progress,
                      const std::array<int, Record::ChapterCount>& book);
    void ShowChapterRow(int row, const QString& title, const ChapterProgress& progress, int book);
    void ShowExams(const QList<FinishedExam>& exams);
    void ShowChart(const QList<FinishedExam>& exams);

    std::unique_ptr<Ui::FormStudy> ui;
    QLineSeries* scores = nullptr;
    QLineSeries* passLine = nullptr;
    QCategoryAxis* dayAxis = nullptr;
    QScrollArea* recordScroll = nullptr;
    QTimer recordChanged; // one refresh for the many rows of one write
};
