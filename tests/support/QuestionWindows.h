#pragma once

#include "exam/ExamRules.h"
#include "exam/ExamWindow.h"
#include "practice/PracticeWindow.h"
#include "support/FixtureBank.h"
#include "support/WindowDriver.h"

#include <QComboBox>
#include <QLabel>
#include <QStringList>
#include <QToolButton>

// Chapter practice as a learner drives it.
struct PracticeDriver : WindowDriver<PracticeWindow> {
    QString Revealed() const { return Get<QLabel>("lblAnswer")->text(); }
    void Chapter(int k)
    {
        auto* list = Get<QComboBox>("cboChapter");
        list->setCurrentIndex(k - 1);
        emit list->activated(k - 1);
    }
};

// Draws pool numbers 1, 2, 3, ... in turn, wrapping around, the same in every run, so that every
// position shows a question whose answer FixtureBank knows (the true/false draw comes first: its
// position 51 is question 1, answered A).
inline ExamWindow::DrawSource InOrder(int poolSize)
{
    return [poolSize, n = 0]() mutable {
        n = n % poolSize + 1;
        return (static_cast<float>(n) - 0.25f) / static_cast<float>(poolSize);
    };
}

// The mock exam as a learner drives it, on a bank of FixtureBank::ExamLines.
struct ExamDriver : WindowDriver<ExamWindow> {
    explicit ExamDriver(ExamWindow::DrawSource source = ClockSeededValue)
        : WindowDriver(nullptr, std::move(source))
    {
    }
    QPushButton* Button(const char* name) const { return Get<QPushButton>(name); }
    QLabel* Picture() const { return Get<QLabel>("lblPicture"); }
    // Hands in; the learner is asked first while questions are open.
    void Result() { Click("cmdResult"); }
    void Review() { Click("cmdReview"); }
    // "你的答案：…", or nothing while the label is hidden.
    QString Yours() const
    {
        const auto* label = Get<QLabel>("lblYours");
        return label->isHidden() ? QString() : label->text();
    }

    // "正确答案：…", or nothing while the label is hidden.
    QString Right() const
    {
        const auto* label = Get<QLabel>("lblRight");
        return label->isHidden() ? QString() : label->text();
    }
    // The answer card's cell for exam position p.
    QToolButton* Cell(int p) const
    {
        return Get<QToolButton>(qPrintable(QStringLiteral("card_%1").arg(p)));
    }
    QString Mark(int p) const { return Cell(p)->property("mark").toString(); }

    // The pool number shown at exam position p.
    int NumberAt(int p) const
    {
        const ExamSlot slot = SlotOf(p);
        return (slot.kind == 0 ? window.choiceDraw : window.trueFalseDraw)[slot.n].toInt();
    }
    // The fixture's id of the question at position p: "x7" for a choice, "p7" for a true/false.
    QString IdAt(int p) const
    {
        return (p <= QuestionsPerKind ? QStringLiteral("x") : QStringLiteral("p")) +
               QString::number(NumberAt(p));
    }
    QString ExpectedText(int p) const
    {
        return (p <= QuestionsPerKind ? QStringLiteral("选择题 %1") : QStringLiteral("判断题 %1"))
            .arg(NumberAt(p));
    }
    // The option index of the right (or a wrong) answer at position p.
    int RightOption(int p) const
    {
        const QString letter = p <= QuestionsPerKind ? FixtureBank::ChoiceAnswer(NumberAt(p))
                                                     : FixtureBank::JudgeAnswer(NumberAt(p));
        return letter[0].unicode() - u'A';
    }
    int WrongOption(int p) const { return (RightOption(p) + 1) % 2; }
    void GoTo(int p)
    {
        while (window.position != p)
            Next();
    }
    bool OptionsShown(const QStringList& captions) const
    {
        for (int i = 0; i < 3; ++i) {
            const bool shown = i < captions.size();
            if (Option(i)->isHidden() == shown || (shown && Option(i)->text() != captions[i]))
                return false;
        }
        return true;
    }
};
