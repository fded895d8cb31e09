#include "common/Study.h"

#include "common/Platform.h"
#include "study/StudyStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>
#include <memory>

namespace {
struct OpenStudy {
    std::unique_ptr<StudyStore> store;
    bool told = false; // the notice of its problem has been shown
};

OpenStudy& Opened()
{
    static OpenStudy study;
    static const bool closedOnQuit = (qAddPostRoutine(CloseStudy), true);
    Q_UNUSED(closedOnQuit);
    return study;
}

QString ProblemText(const StudyStore& store)
{
    switch (store.Problem()) {
    case StudyProblem::MovedAside:
        return QStringLiteral("学习记录文件已损坏，无法读取。原文件已改名保存为\n%1\n"
                              "并已新建一份空白的学习记录，今后的练习和考试照常记录。")
            .arg(QDir::toNativeSeparators(store.ProblemDetail()));
    case StudyProblem::Newer:
        return QStringLiteral("学习记录文件\n%1\n由更新版本的程序写入，本程序无法使用。"
                              "该文件保持原样，本次运行的练习和考试不会记录。")
            .arg(QDir::toNativeSeparators(store.FilePath()));
    case StudyProblem::Unwritable:
        return QStringLiteral("无法写入学习记录（%1）。\n练习和考试可以照常进行，"
                              "但本次运行不会记录。")
            .arg(QDir::toNativeSeparators(store.FilePath()));
    case StudyProblem::None:
        break;
    }
    return {};
}
} // namespace

StudyStore& Study()
{
    OpenStudy& study = Opened();
    if (!study.store) {
        study.store = std::make_unique<StudyStore>(
            QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation));
    }
    if (study.store->Problem() != StudyProblem::None && !study.told) {
        study.told = true;
        // No parent: the window that asked may be closing.
        Notice(nullptr, ProblemText(*study.store));
    }
    return *study.store;
}

void CloseStudy()
{
    Opened() = OpenStudy();
}
