#pragma once

#include <QLabel>

// A label that reports a left click, or Enter or Space while it has the focus, for the web
// addresses shown as links.
class ClickLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};
