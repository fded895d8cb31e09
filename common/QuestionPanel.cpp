#include "common/QuestionPanel.h"

#include "bank/Cipher.h"
#include "bank/Descrambler.h"
#include "bank/Picture.h"
#include "bank/Record.h"
#include "common/Platform.h"

#include <QEvent>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <algorithm>

namespace
{
const QStringList& Letters = Record::AnswerLetters;
const QStringList& ChoiceCaptions = Record::AnswerLetters;
const QStringList JudgeCaptions = {QStringLiteral("对"), QStringLiteral("错"), QString()};
// Beside the options themselves, where the learner is looking.
const QColor RightColour(0, 128, 0);
const QColor WrongColour(192, 0, 0);

void SetTextColour(QWidget* widget, const QColor& colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, colour);
    widget->setPalette(palette);
}
} // namespace

QuestionPanel::QuestionPanel(QPlainTextEdit* questionBox, QLineEdit* encodedBox, Options options,
                             QLabel* pictureLabel, QPlainTextEdit* explanation)
    : questionBox(questionBox), encodedBox(encodedBox), options(options),
      pictureLabel(pictureLabel), picture(new FittedPicture(pictureLabel)), explanation(explanation)
{
    HideExplanation();
}

void QuestionPanel::Show(const QStringList& fields, Cipher& cipher, bool choiceLayout)
{
    // The question text is scrambled first and base64 second, the reverse of a whole line.
    encodedBox->setText(DecodeText(Record::FieldOf(fields, Record::QuestionText), BankKey));
    questionBox->setPlainText(cipher.Decode(encodedBox->text()).value_or(QString()));
    SetTag(questionBox, Record::FieldOf(fields, Record::Answer));
    ClearVerdict();
    LayOutOptions(choiceLayout);
    ShowPicture(Record::FieldOf(fields, Record::Picture));
    // A bank without explanations has no field 6; one that does not decode shows nothing.
    explanationText = Record::ExplanationText(fields, cipher).value_or(QString());
    HideExplanation();
    Shown(Record::FieldOf(fields, Record::Id));
}

void QuestionPanel::ShowVerdict(const QString& chosen)
{
    ClearVerdict();
    const auto right = Letters.indexOf(RightAnswer());
    const auto wrong = Letters.indexOf(chosen);
    if (wrong >= 0 && wrong != right)
        SetTextColour(options[wrong], WrongColour);
    if (right >= 0)
        SetTextColour(options[right], RightColour);
}

void QuestionPanel::ClearVerdict()
{
    for (QRadioButton* button : options)
        button->setPalette(QPalette());
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
    questionBox->clear();
    Shown({});
}

void QuestionPanel::ShowNothing()
{
    questionBox->clear();
    explanationText.clear();
    HideExplanation();
    SetTag(questionBox, QString());
    ClearVerdict();
    for (QRadioButton* button : options)
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
    return !questionBox->toPlainText().isEmpty();
}

QString QuestionPanel::RightAnswer() const
{
    return Tag(questionBox);
}

bool QuestionPanel::IsChoiceLayout() const
{
    return !options[2]->isHidden();
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
        if (options[i]->isChecked())
            chosen = Letters[i];
    }
    return chosen;
}

void QuestionPanel::Select(const QString& letter)
{
    const auto i = Letters.indexOf(letter);
    if (i >= 0)
        options[i]->setChecked(true);
}

void QuestionPanel::ClearSelection()
{
    // Auto-exclusive radio buttons refuse to leave the group with none checked.
    for (QRadioButton* button : options) {
        button->setAutoExclusive(false);
        button->setChecked(false);
        button->setAutoExclusive(true);
    }
}

void QuestionPanel::SetOptionsEnabled(bool enabled)
{
    for (QRadioButton* button : options)
        button->setEnabled(enabled);
}

void QuestionPanel::LayOutOptions(bool choiceLayout)
{
    const QStringList& captions = choiceLayout ? ChoiceCaptions : JudgeCaptions;
    for (int i = 0; i < 3; ++i)
        options[i]->setText(captions[i]);
    options[0]->show();
    options[1]->show();
    options[2]->setVisible(choiceLayout);
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

QSize FittedPictureSize(const QSizeF& natural, const QSize& room)
{
    if (natural.isEmpty() || room.isEmpty())
        return {};
    const qreal scale = std::min(
        {room.width() / natural.width(), room.height() / natural.height(), LargestPictureScale});
    // Down, so that it never overflows the room by a rounding.
    return QSize(int(natural.width() * scale), int(natural.height() * scale));
}

FittedPicture::FittedPicture(QLabel* label) : QObject(label), label(label)
{
    // The room comes from the layout, not from the picture: a large picture must not hold the
    // window open, and a small one must not leave its room empty.
    label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    label->installEventFilter(this);
}

void FittedPicture::Set(const QPixmap& picture)
{
    source = picture;
    Fit();
}

bool FittedPicture::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == label && event->type() == QEvent::Resize)
        Fit();
    return QObject::eventFilter(watched, event);
}

void FittedPicture::Fit()
{
    const QSize shown =
        FittedPictureSize(source.deviceIndependentSize(), label->contentsRect().size());
    if (source.isNull() || shown.isEmpty()) {
        label->clear();
        return;
    }
    const qreal ratio = label->devicePixelRatioF();
    QPixmap fitted = source.scaled(shown * ratio, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    fitted.setDevicePixelRatio(ratio);
    label->setPixmap(fitted);
}

void QuestionPanel::ShowPicture(const QString& reference)
{
    const auto path = PicturePath(AppPath(), reference);
    // The high-density twin wherever there is one: the picture may grow to twice its size.
    const QPixmap loaded = path ? SharpestPicture(*path, LargestPictureScale) : QPixmap();
    picture->Set(loaded);
    pictureLabel->setVisible(!loaded.isNull());
}
