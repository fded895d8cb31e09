#pragma once

#include <QList>
#include <QStringList>
#include <QWidget>
#include <memory>

namespace Ui
{
class TopicsWindow;
}

// The topics of the chosen bank, each with its number of questions and how the learner does
// on it; choosing one practises its questions as chapter practice does.
class TopicsWindow : public QWidget
{
    Q_OBJECT
public:
    explicit TopicsWindow(QWidget* parent = nullptr);
    ~TopicsWindow() override;

    // Reads the bank: the questions of each topic.
    void ReadData();
    // Shows every topic with its figures from the study record as it is now.
    void ShowTopics();

    // The questions of topic i of Topics::Names at index i: written by ReadData, read by tests.
    QList<QStringList> topicQuestions;

public slots:
    void PractiseTopic();
    void TopicActivated();

protected:
    // Coming back from practice, the learner sees the figures as they are now.
    void changeEvent(QEvent* event) override;

private:
    void SetUpList();
    // The topic of the chosen row, -1 when none with questions is chosen.
    int ChosenTopic() const;
    void ShowChoice();

    std::unique_ptr<Ui::TopicsWindow> ui;
};
