#pragma once

#include <QObject>
#include <QPixmap>
#include <QSize>
#include <QString>
#include <QStringList>
#include <array>
#include <functional>

class Cipher;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QRadioButton;

// A question picture for a screen of the given device pixel ratio: on a dense screen its
// high-density twin where the bank has one, so it stays sharp; null when nothing loads.
QPixmap SharpestPicture(const QString& path, qreal ratio);

// A picture grows with the room it is given up to twice its own size (where its high-density
// twin still shows every pixel), and shrinks to fit a small room; it keeps its shape.
constexpr qreal LargestPictureScale = 2;
QSize FittedPictureSize(const QSizeF& natural, const QSize& room);

// Keeps a label's picture fitted to the label as the window gives it more or less room.
class FittedPicture : public QObject
{
public:
    explicit FittedPicture(QLabel* label);
    // The picture to show, loaded sharp enough for its largest size; null shows none.
    void Set(const QPixmap& picture);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Fit();

    QLabel* label;
    QPixmap source;
};

// The question area both question windows share: the text box whose tag holds the right
// answer, the scratch box, the three option buttons, the picture and the explanation box.
class QuestionPanel
{
public:
    using Options = std::array<QRadioButton*, 3>;

    // The letter read while no option is selected; never equal to a right answer.
    static inline const QString NoChoice = QStringLiteral("asasas");

    QuestionPanel(QPlainTextEdit* questionBox, QLineEdit* encodedBox, Options options,
                  QLabel* pictureLabel, QPlainTextEdit* explanation);

    // Shows a record: decoded question text, its right answer in the tag, the options laid out
    // for a choice (A, B, C) or a true/false question (对, 错), and its picture. Its explanation
    // is kept back until RevealExplanation.
    void Show(const QStringList& fields, Cipher& cipher, bool choiceLayout);
    // Marks the options after a judgement of chosen: the right one green and, when chosen is
    // another option, that one red. The marks go when another question is shown.
    void ShowVerdict(const QString& chosen);
    // Shows the explanation of the question on display; a question without one shows no box.
    void RevealExplanation();
    void HideExplanation();
    // Empties the question text only: no question is on display, the rest stays as it was.
    void Clear();
    // An empty question area: no text, no options, no picture.
    void ShowNothing();

    bool IsOnDisplay() const;
    QString RightAnswer() const;
    bool IsChoiceLayout() const;

    // A letter as the learner sees it in the layout on display: "A", "B", "C", or 对/错.
    QString CaptionOf(const QString& letter) const;

    // "A", "B" or "C" for the selected option, NoChoice when none is.
    QString ChosenLetter() const;
    // Selects the option of letter; any other text selects nothing and keeps the selection.
    void Select(const QString& letter);
    void ClearSelection();
    void SetOptionsEnabled(bool enabled);

    // Told the id of each question shown, and an empty id when none is on display any more.
    using ShownHandler = std::function<void(const QString& questionId)>;
    void SetShownHandler(ShownHandler handler) { shown = std::move(handler); }

private:
    void LayOutOptions(bool choiceLayout);
    void ShowPicture(const QString& reference);
    void Shown(const QString& questionId);
    void ClearVerdict();

    QPlainTextEdit* questionBox;
    QLineEdit* encodedBox;
    Options options;
    QLabel* pictureLabel;
    FittedPicture* picture; // owned by pictureLabel
    QPlainTextEdit* explanation;
    QString explanationText; // of the question on display
    ShownHandler shown;
};
