#include "common/FavouriteMark.h"

#include "common/Platform.h"
#include "common/QuestionPanel.h"
#include "common/Study.h"
#include "study/StudyQueries.h"
#include "study/StudyStore.h"

#include <QCheckBox>
#include <QShortcut>
#include <QSignalBlocker>

FavouriteMark::FavouriteMark(QWidget* window, QCheckBox* box, QuestionPanel& panel)
    : QObject(window), box(box)
{
    box->setToolTip(QStringLiteral("收藏本题，或取消收藏：Ctrl+D"));
    auto* shortcut = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_D), window);
    connect(shortcut, &QShortcut::activated, this, [box] {
        if (box->isEnabled() && box->isVisible())
            box->click();
    });
    // clicked, not toggled: showing another question's mark must not mark anything.
    connect(box, &QCheckBox::clicked, this, &FavouriteMark::Mark);
    panel.SetShownHandler([this](const QString& questionId) { Show(questionId); });
    Show({});
}

void FavouriteMark::Show(const QString& questionId)
{
    shownId = questionId;
    // No question, no need to open the record yet.
    const bool usable = !questionId.isEmpty() && Study().IsRecording();
    const QSignalBlocker quiet(box);
    box->setEnabled(usable);
    box->setChecked(usable && IsFavourite(Study().Database(), BankFile, questionId));
}

void FavouriteMark::Mark(bool marked)
{
    Study().MarkFavourite(BankFile, shownId, marked);
    // Asked again, the record tells the learner at once when this mark was not kept.
    if (!Study().IsRecording())
        Show(shownId);
}
