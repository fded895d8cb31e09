// Run by tst_install.sh from an installed bin/ folder: the exam window, opened as the installed
// program opens it, finds the installed bank and its pictures through the program's own lookup.
// Prints where it found them; fails on any message box (the bank missing or unreadable).

#include "common/Platform.h"
#include "exam/ExamRules.h"
#include "exam/ExamWindow.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

namespace {
void FailOnMessageBox()
{
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        std::fprintf(stderr, "message box: %s\n", qPrintable(box->text()));
        std::_Exit(1);
    }
}
} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("jiaogui"));
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, &FailOnMessageBox);
    watch.start(10);

    BankFile = QStringLiteral("beijing.dat");
    ExamWindow exam;
    exam.show();
    exam.findChild<QPushButton*>("cmdStart")->click();
    int pictures = 0;
    for (int position = 1; position <= ExamQuestions; ++position) {
        if (exam.findChild<QPlainTextEdit*>("txtQuestion")->toPlainText().isEmpty()) {
            std::fprintf(stderr, "no question text at position %d\n", position);
            return 1;
        }
        pictures += !exam.findChild<QLabel*>("lblPicture")->pixmap().isNull();
        exam.findChild<QPushButton*>("cmdNext")->click();
    }
    std::printf("%s\n%d questions, %d with a picture\n", qPrintable(AppPath()), ExamQuestions,
                pictures);
    return pictures > 0 ? 0 : 1;
}
