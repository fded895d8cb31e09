#include "common/TextZoom.h"

#include "common/Platform.h"

#include <QShortcut>
#include <QWidget>
#include <algorithm>

namespace
{
const QString SizeKey = QStringLiteral("questionText/pointSize");

void AddShortcut(QWidget* window, const QKeySequence& keys, const std::function<void()>& action)
{
    auto* shortcut = new QShortcut(keys, window);
    QObject::connect(shortcut, &QShortcut::activated, window, action);
}
} // namespace

TextZoom::TextZoom(QWidget* window, const QList<QWidget*>& texts)
    : QObject(window), texts(texts.begin(), texts.end()), size(StoredSize())
{
    // Ctrl+= is where "+" lies without Shift; Ctrl++ is the platform's own zoom key.
    for (const QKeySequence& in :
         {QKeySequence(Qt::CTRL | Qt::Key_Equal), QKeySequence(QKeySequence::ZoomIn)})
        AddShortcut(window, in, [this] { SetSize(size + 1); });
    AddShortcut(window, QKeySequence(Qt::CTRL | Qt::Key_Minus), [this] { SetSize(size - 1); });
    AddShortcut(window, QKeySequence(Qt::CTRL | Qt::Key_0), [this] { SetSize(DefaultSize); });
    Apply();
}

int TextZoom::StoredSize()
{
    // A settings file edited by hand may hold anything: what is not a number is no size.
    bool isNumber = false;
    const int stored = AppSettings().value(SizeKey).toInt(&isNumber);
    return isNumber ? std::clamp(stored, SmallestSize, LargestSize) : DefaultSize;
}

void TextZoom::SetSize(int points)
{
    const int clamped = std::clamp(points, SmallestSize, LargestSize);
    if (clamped == size)
        return;
    size = clamped;
    AppSettings().setValue(SizeKey, size);
    Apply();
}

void TextZoom::Apply()
{
    for (QWidget* text : texts) {
        if (!text)
            continue;
        QFont font = text->font();
        font.setPointSize(size);
        text->setFont(font);
    }
}
