#pragma once

#include <QList>
#include <QObject>
#include <QPointer>

class QWidget;

// Ctrl+= / Ctrl+- / Ctrl+0 enlarge, shrink and reset the text of a question window's question,
// options and explanation. The size is shared by every question window and kept across runs.
class TextZoom : public QObject {
    Q_OBJECT
public:
    static constexpr int DefaultSize = 9; // points, the windows' own font
    static constexpr int SmallestSize = 7;
    static constexpr int LargestSize = 28;

    TextZoom(QWidget* window, const QList<QWidget*>& texts);

    static int StoredSize();
    void SetSize(int points);
    int Size() const { return size; }

private:
    void Apply();

    QList<QPointer<QWidget>> texts;
    int size;
};
