#include "common/QuestionPanel.h"

#include "common/Platform.h"
#include "bank/Cipher.h"
#include "bank/Descrambler.h"
#include "bank/Picture.h"
#include "bank/Record.h"

#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QRadioButton>

namespace {
const QStringList& Letters = Record::AnswerLetters;
const QStringList& ChoiceCaptions = Record::AnswerLetters;
const QStringList JudgeCaptions = {QStringLiteral("对"), QStringLiteral("错"), QString()};
} // namespace

QuestionPanel::QuestionPanel(QPlainTextEdit* txt, QLineEdit* t, Options op, QLabel* img,
                             QPlainTextEdit* explanation)
    : txt(txt), t(t), op(op), img(img), explanation(explanation)
{
    HideExplanation();
}

void QuestionPanel::Show(const QStringList& fields, Cipher& cipher, bool choiceLayout)
{
    // The question text is scrambled first and base64 second, the reverse of a whole line.
    t->setText(DecodeText(Record::FieldOf(fields, Record::QuestionText), BankKey));
    txt->setPlainText(cipher.b64StrDec(t->text()).value_or(QString()));
    SetTag(txt, Record::FieldOf(fields, Record::Answer));
    LayOutOptions(choiceLayout);
    ShowPicture(Record::FieldOf(fields, Record::Picture));
    // A bank without explanations has no field 6; one that does not decode shows nothing.
    explanationText = Record::ExplanationText(fields, cipher).value_or(QString());
    HideExplanation();
    Shown(Record::FieldOf(fields, Record::Id));
}

void QuestionPanel::RevealExplanation()
{
    explanation->setPlainText(explanationText);
    explanation->setVisible(!explanationText.isEmpty());
}

void QuestionPanel::HideExplanation()
{
    explanation->clear();
    explanation->hide();
}

void QuestionPanel::Clear()
{
    txt->clear();
    Shown({});
}

void QuestionPanel::ShowNothing()
{
    txt->clear();
    explanationText.clear();
    HideExplanation();
    SetTag(txt, QString());
    for (QRadioButton* button : op)
        button->hide();
    ShowPicture(QString());
    Shown({});
}

void QuestionPanel::Shown(const QString& questionId)
{
    if (shown)
        shown(questionId);
}

bool QuestionPanel::IsOnDisplay() const
{
    return !txt->toPlainText().isEmpty();
}

QString QuestionPanel::RightAnswer() const
{
    return Tag(txt);
}

bool QuestionPanel::IsChoiceLayout() const
{
    return !op[2]->isHidden();
}

QString QuestionPanel::CaptionOf(const QString& letter) const
{
    const QStringList& captions = IsChoiceLayout() ? ChoiceCaptions : JudgeCaptions;
    return captions.value(Letters.indexOf(letter));
}

QString QuestionPanel::ChosenLetter() const
{
    QString chosen = NoChoice;
    for (int i = 0; i < 3; ++i) {
        if (op[i]->isChecked())
            chosen = Letters[i];
    }
    return chosen;
}

void QuestionPanel::Select(const QString& letter)
{
    const auto i = Letters.indexOf(letter);
    if (i >= 0)
        op[i]->setChecked(true);
}

void QuestionPanel::ClearSelection()
{
    // Auto-exclusive radio buttons refuse to leave the group with none checked.
    for (QRadioButton* button : op) {
        button->setAutoExclusive(false);
        button->setChecked(false);
        button->setAutoExclusive(true);
    }
}

void QuestionPanel::SetOptionsEnabled(bool enabled)
{
    for (QRadioButton* button : op)
        button->setEnabled(enabled);
}

void QuestionPanel::LayOutOptions(bool choiceLayout)
{
    const QStringList& captions = choiceLayout ? ChoiceCaptions : JudgeCaptions;
    for (int i = 0; i < 3; ++i)
        op[i]->setText(captions[i]);
    op[0]->show();
    op[1]->show();
    op[2]->setVisible(choiceLayout);
}

QPixmap SharpestPicture(const QString& path, qreal ratio)
{
    constexpr qreal TwinRatio = 2;
    QPixmap picture;
    const QString twin = HighDensityTwin(path);
    if (ratio > 1 && QFileInfo(twin).isFile() && picture.load(twin)) {
        picture.setDevicePixelRatio(TwinRatio);
        return picture;
    }
    // Only a regular file (or a link to one): opening a pipe would wait for a writer forever.
    if (QFileInfo(path).isFile())
        picture.load(path);
    return picture;
}

void QuestionPanel::ShowPicture(const QString& reference)
{
    const auto path = PicturePath(AppPath(), reference);
    const QPixmap picture = path ? SharpestPicture(*path, img->devicePixelRatioF()) : QPixmap();
    if (picture.isNull()) {
        img->clear();
        img->hide();
        return;
    }
    img->setPixmap(picture);
    img->show();
}
