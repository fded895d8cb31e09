#include "common/Study.h"

#include "common/Platform.h"
#include "study/StudyStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <memory>
#include <set>

namespace {
struct OpenStudy {
    std::unique_ptr<StudyStore> store;
    std::set<StudyProblem> told; // the kinds of problem the learner has been told of this run
};

OpenStudy& Opened()
{
    static OpenStudy study;
    static const bool closedOnQuit = (qAddPostRoutine(CloseStudy), true);
    Q_UNUSED(closedOnQuit);
    return study;
}

// "2026-12-10" of ".../backups/study-2026-12-10.sqlite"
QString DateOfBackup(const QString& backup)
{
    return QFileInfo(backup).completeBaseName().section(u'-', 1);
}

QString CopiedText(const CopiedRows& copied)
{
    return QStringLiteral("%1 次答题、%2 次考试和 %3 个收藏")
        .arg(copied.answers)
        .arg(copied.exams)
        .arg(copied.favourites);
}

// What was saved from a damaged record, and what could not be.
QString SalvageText(const CopiedRows& saved)
{
    if (saved.Copied() == 0)
        return QStringLiteral("学习记录文件已损坏，无法读取，已新建一份空白的学习记录。");
    QString text = QStringLiteral("学习记录文件已损坏，已从中救回 ") + CopiedText(saved);
    if (saved.unreadable > 0)
        text += QStringLiteral("，另有约 %1 条记录无法读取").arg(saved.unreadable);
    return text + QStringLiteral("。");
}

// What the learner is told when the store is opened with problem.
QString OpeningText(const StudyStore& store, StudyProblem problem)
{
    switch (problem) {
    case StudyProblem::MovedAside:
        return SalvageText(store.Salvaged()) +
               QStringLiteral("原文件已改名保存为\n%1\n今后的练习和考试照常记录。")
                   .arg(QDir::toNativeSeparators(store.ProblemDetail()));
    case StudyProblem::LogDamaged:
        return QStringLiteral(
                   "学习记录的日志文件在上次异常退出后有损坏，最近 %1 次记录（答题、考试或收藏）"
                   "无法保留，此前的记录完好。\n损坏时的文件已另存为\n%2\n"
                   "今后的练习和考试照常记录。")
            .arg(store.DroppedTransactions())
            .arg(QDir::toNativeSeparators(store.ProblemDetail()));
    case StudyProblem::Newer:
        return QStringLiteral("学习记录文件\n%1\n由更新版本的程序写入，本程序无法使用。"
                              "该文件保持原样，本次运行的练习和考试不会记录。")
            .arg(QDir::toNativeSeparators(store.FilePath()));
    case StudyProblem::Unwritable:
        return QStringLiteral("无法写入学习记录（%1）。\n练习和考试可以照常进行，"
                              "但本次运行不会记录。")
            .arg(QDir::toNativeSeparators(store.FilePath()));
    case StudyProblem::Busy:
    case StudyProblem::None:
        break;
    }
    return {};
}

// What the learner is told at the moment something they did could not be written.
QString WriteText(const StudyStore& store, StudyProblem problem)
{
    const QString file = QDir::toNativeSeparators(store.FilePath());
    if (problem == StudyProblem::Busy)
        return QStringLiteral("学习记录（%1）正被另一个程序占用，刚才所做的暂时没有记录下来。\n"
                              "下次记录时会再试，练习和考试照常进行。")
            .arg(file);
    return QStringLiteral("无法写入学习记录（%1），刚才所做的没有记录下来。\n练习和考试可以照常进行，"
                          "但本次运行不再记录。")
        .arg(file);
}

// A damaged record with a backup from before the damage: the learner may fill in from it what
// the salvage could not keep. Rows the salvage kept are not doubled.
void OfferTheBackup(StudyStore& store)
{
    Opened().told.insert(StudyProblem::MovedAside);
    const QString backup = store.Backups().front();
    const QString question = OpeningText(store, StudyProblem::MovedAside) +
                             QStringLiteral("\n\n还有 %1 的自动备份。要用它补回缺少的记录吗？")
                                 .arg(DateOfBackup(backup));
    if (!Confirm(nullptr, question, QStringLiteral("从备份恢复"), QStringLiteral("不恢复")))
        return;
    const CopiedRows copied = store.CopyFrom(backup);
    if (store.IsRecording())
        Notice(
            nullptr,
            QStringLiteral("已从 %1 的备份补回 %2。").arg(DateOfBackup(backup), CopiedText(copied)),
            MsgIcon::Information);
}

// Once per kind of problem and run: a learner told that recording stopped need not hear it at
// every answer, but hears of a new kind of failure when it happens.
void Tell(StudyProblem problem, const QString& text)
{
    if (text.isEmpty() || !Opened().told.insert(problem).second)
        return;
    // No parent: the window that asked may be closing.
    Notice(nullptr, text);
}
} // namespace

StudyStore& Study()
{
    OpenStudy& study = Opened();
    if (!study.store) {
        study.store = std::make_unique<StudyStore>(
            QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation));
        StudyStore& store = *study.store;
        store.OnWriteProblem(
            [&store](StudyProblem problem) { Tell(problem, WriteText(store, problem)); });
        if (store.Problem() == StudyProblem::MovedAside && !store.Backups().isEmpty())
            OfferTheBackup(store);
        else
            Tell(store.Problem(), OpeningText(store, store.Problem()));
        if (store.TakenIn().Copied() > 0)
            Notice(
                nullptr,
                QStringLiteral("上次退出时学习记录正被另一个程序占用，当时未能写入的 %1 已补记。")
                    .arg(CopiedText(store.TakenIn())),
                MsgIcon::Information);
    }
    return *study.store;
}

void CloseStudy()
{
    Opened() = OpenStudy();
}
