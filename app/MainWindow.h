#pragma once

#include "study/Forecast.h"
#include "study/Review.h"

#include <QImage>
#include <QWidget>
#include <memory>

class QSvgRenderer;

namespace Ui
{
class MainWindow;
}

// The window the program opens: choose the bank, open the exam, practice, study record and
// links windows.
class MainWindow : public QWidget
{
    Q_OBJECT
public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    void SelectBank();

public slots:
    void OpenExam();
    void OpenPractice();
    void OpenLinks();
    void Quit();
    void OpenStudyRecord();
    void OpenReview();
    void BankChanged();
    void OpenTopics();
    void OpenSearch();
    void OpenPublisherSite();

protected:
    void resizeEvent(QResizeEvent* event) override;
    // Coming back from practice or an exam, the forecast is brought up to date.
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // The background drawing, scaled to cover the window and rendered at the screen's pixel
    // density, so that it stays sharp at any size and scale.
    void ShowBackground();
    QImage RenderBackground(const QSize& pixels);
    void KeepBackground();
    // Opens a new window of type W unless no bank is chosen.
    template <typename W> void OpenQuestionWindow();
    // Sets BankFile from the list; false, after telling the learner, when none is chosen.
    bool BankChosen();
    // The pass forecast for the chosen bank, or nothing while none is chosen.
    void ShowForecast();
    // Reads the exam's shape and the chapter order of the chosen bank, once per bank chosen.
    void ReadChosenBank();
    // Today's review as the plan to the test date has it.
    ReviewList TodaysReviewList();

    std::unique_ptr<Ui::MainWindow> ui;
    QSvgRenderer* background = nullptr; // read when first needed
    QImage shownBackground;
    bool backgroundUnkept = false; // drawn since it was last kept
    QString examBank;              // the bank file exam was read from
    ExamShape exam;
    QStringList chapterOrder;
};
