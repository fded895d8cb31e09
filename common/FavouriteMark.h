#pragma once

#include <QObject>
#include <QString>

class QCheckBox;
class QuestionPanel;
class QWidget;

// The 收藏 box of a question window: it shows whether the question on display is marked, and a
// click or Ctrl+D marks or unmarks it in the study record. Ctrl+D acts only where a click would:
// the box enabled and on display. Without a question, or without a record, the box is disabled.
class FavouriteMark : public QObject {
    Q_OBJECT
public:
    FavouriteMark(QWidget* window, QCheckBox* box, QuestionPanel& panel);

private:
    void Show(const QString& questionId);
    void Mark(bool marked);

    QCheckBox* box;
    QString shownId;
};
