#include "common/Platform.h"
#include "practice/FormLen.h"
#include "study/StudyQueries.h"
#include "study/StudyStore.h"
#include "support/FixtureBank.h"
#include "support/MessageBoxCatcher.h"
#include "support/StudyFixture.h"
#include "support/QuestionWindows.h"

#include <QDir>
#include <QFile>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <unistd.h>

namespace {
const QString Bank = QStringLiteral("beijing.dat");

QByteArray Bytes(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

void WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        qFatal("cannot write %s", qPrintable(path));
    file.write(bytes);
}

// A store file made by the sqlite3 library alone, as another program or version would leave it.
void WriteStoreWithVersion(const QString& path, int version)
{
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "raw");
        db.setDatabaseName(path);
        QVERIFY(db.open());
        QSqlQuery query(db);
        QVERIFY(query.exec("CREATE TABLE future (x)"));
        QVERIFY(query.exec(QStringLiteral("PRAGMA user_version = %1").arg(version)));
    }
    QSqlDatabase::removeDatabase("raw");
}

// A store as version 1 of the program left it: version 2 only added the favourites.
void DowngradeToVersion1(const QString& path)
{
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "raw");
        db.setDatabaseName(path);
        QVERIFY(db.open());
        QSqlQuery query(db);
        QVERIFY(query.exec("DROP TABLE favourites"));
        QVERIFY(query.exec("PRAGMA user_version = 1"));
    }
    QSqlDatabase::removeDatabase("raw");
}

StudyAnswer Answer(const QString& id, bool right, const QString& letter = "A")
{
    return {id, 1, letter, right};
}

ExamResult Result(int score, int questions = 3)
{
    ExamResult result;
    result.score = score;
    result.answered = questions;
    result.secondsUsed = 600;
    for (int i = 1; i <= questions; ++i)
        result.answers.append(Answer(QStringLiteral("q%1").arg(i), i <= score));
    return result;
}

QStringList BrokenFiles(const QString& folder)
{
    return QDir(folder).entryList({StudyStore::FileName + ".broken-*"}, QDir::Files);
}

// Every way the record's file or folder can be unusable, as the tests lay them out in folder.
enum class BadStore { NotADatabase, Corrupt, Newer, FolderIsAFile, FileIsAFolder, ReadOnly };

// Lays the bad store out; returns false (and skips) where this machine cannot make it.
bool LayOut(BadStore bad, const QString& folder)
{
    const QString path = QDir(folder).filePath(StudyStore::FileName);
    switch (bad) {
    case BadStore::NotADatabase:
        QDir().mkpath(folder);
        WriteFile(path, QByteArray("这不是数据库\n").repeated(200));
        break;
    case BadStore::Corrupt: {
        // A real store, then its pages overwritten past the first.
        auto store = std::make_unique<StudyStore>(folder);
        for (int i = 0; i < 200; ++i)
            store->PracticeAnswered(Bank, Answer(QStringLiteral("q%1").arg(i), i % 2));
        store.reset();
        QFile file(path);
        file.open(QIODevice::ReadWrite);
        file.seek(4096);
        file.write(QByteArray(8192, '\x5a'));
        break;
    }
    case BadStore::Newer:
        QDir().mkpath(folder);
        WriteStoreWithVersion(path, StudyStore::SchemaVersion + 1);
        break;
    case BadStore::FolderIsAFile:
        QDir().mkpath(QFileInfo(folder).path());
        WriteFile(folder, "a file where the folder should be");
        break;
    case BadStore::FileIsAFolder:
        QDir().mkpath(path);
        break;
    case BadStore::ReadOnly:
        if (geteuid() == 0)
            return false; // root writes into a read-only folder all the same
        QDir().mkpath(folder);
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
        break;
    }
    return true;
}

StudyProblem ProblemOf(BadStore bad)
{
    switch (bad) {
    case BadStore::NotADatabase:
    case BadStore::Corrupt:
        return StudyProblem::MovedAside;
    case BadStore::Newer:
        return StudyProblem::Newer;
    default:
        return StudyProblem::Unwritable;
    }
}

void AddBadStoreRows()
{
    QTest::addColumn<BadStore>("bad");
    QTest::newRow("not a database") << BadStore::NotADatabase;
    QTest::newRow("corrupt pages") << BadStore::Corrupt;
    QTest::newRow("newer version") << BadStore::Newer;
    QTest::newRow("folder is a file") << BadStore::FolderIsAFile;
    QTest::newRow("store is a folder") << BadStore::FileIsAFolder;
    QTest::newRow("read-only folder") << BadStore::ReadOnly;
}
} // namespace

Q_DECLARE_METATYPE(BadStore)

class TestStudyStore : public QObject {
    Q_OBJECT
private slots:
    void newStore();
    void opensFromEachEarlierVersion_data();
    void opensFromEachEarlierVersion();
    void examShownAgainIsUpdatedNotDoubled();
    void abandonedExams();
    void clearForgetsOneBank();
    void favouritesKeepTheirOrderPerBank();
    void mostMissed_data();
    void mostMissed();
    void mostMissedCountsExamQuestionsLeftOpen();
    void badStore_data() { AddBadStoreRows(); }
    void badStore();
    void badStoreLeavesTheWindowsWorking_data() { AddBadStoreRows(); }
    void badStoreLeavesTheWindowsWorking();
    void cleanup();

private:
    std::unique_ptr<QTemporaryDir> temporary;
    QString Folder();
};

QString TestStudyStore::Folder()
{
    if (!temporary)
        temporary = std::make_unique<QTemporaryDir>();
    return temporary->filePath("data/jiaogui");
}

void TestStudyStore::cleanup()
{
    if (temporary)
        QFile::setPermissions(Folder(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    temporary.reset();
}

void TestStudyStore::newStore()
{
    StudyStore store(Folder());
    QVERIFY(store.IsRecording());
    QCOMPARE(store.Problem(), StudyProblem::None);
    QCOMPARE(store.FilePath(), QDir(Folder()).filePath("study.sqlite"));
    QVERIFY(QFile::exists(store.FilePath()));
    const QSqlDatabase db = store.Database();
    QCOMPARE(Scalar(db, "PRAGMA user_version").toInt(), StudyStore::SchemaVersion);
    QCOMPARE(Scalar(db, "PRAGMA journal_mode").toString(), "wal");
    QCOMPARE(Scalar(db, "PRAGMA foreign_keys").toInt(), 1);
    QVERIFY(Scalar(db, "PRAGMA busy_timeout").toInt() >= 1000);

    store.PracticeAnswered(Bank, {"04-017", 4, "B", false});
    store.PracticeAnswered(Bank, {"04-018", std::nullopt, "", true});
    QSqlQuery rows(db);
    QVERIFY(rows.exec("SELECT bank, question_id, chapter, mode, exam_id, letter, correct, "
                      "answered_at FROM attempts ORDER BY id"));
    QVERIFY(rows.next());
    QCOMPARE(rows.value(0).toString(), Bank);
    QCOMPARE(rows.value(1).toString(), "04-017");
    QCOMPARE(rows.value(2).toInt(), 4);
    QCOMPARE(rows.value(3).toString(), "practice");
    QVERIFY(rows.value(4).isNull());
    QCOMPARE(rows.value(5).toString(), "B");
    QCOMPARE(rows.value(6).toInt(), 0);
    const QDateTime when = QDateTime::fromString(rows.value(7).toString(), Qt::ISODate);
    QVERIFY(qAbs(when.secsTo(QDateTime::currentDateTimeUtc())) < 60);
    QVERIFY(rows.next());
    QVERIFY(rows.value(2).isNull()); // no chapter
    QVERIFY(rows.value(5).isNull()); // no option chosen
    QCOMPARE(rows.value(6).toInt(), 1);
}

void TestStudyStore::opensFromEachEarlierVersion_data()
{
    QTest::addColumn<QByteArray>("content"); // of the file before opening; "-" for no file
    QTest::addColumn<int>("rows");           // attempts kept from before
    QTest::newRow("no file") << QByteArray("-") << 0;
    QTest::newRow("version 0: empty file") << QByteArray() << 0;
    QTest::newRow("version 1") << QByteArray("1") << 2;
}

void TestStudyStore::opensFromEachEarlierVersion()
{
    QFETCH(QByteArray, content);
    QFETCH(int, rows);
    const QString path = QDir(Folder()).filePath(StudyStore::FileName);
    QDir().mkpath(Folder());
    if (content == "1") {
        {
            StudyStore earlier(Folder());
            earlier.PracticeAnswered(Bank, Answer("a", false));
            earlier.PracticeAnswered(Bank, Answer("b", true));
        }
        DowngradeToVersion1(path);
    } else if (content != "-") {
        WriteFile(path, content);
    }
    StudyStore store(Folder());
    QVERIFY(store.IsRecording());
    QCOMPARE(store.Problem(), StudyProblem::None);
    const QSqlDatabase db = store.Database();
    QCOMPARE(Scalar(db, "PRAGMA user_version").toInt(), StudyStore::SchemaVersion);
    QCOMPARE(Scalar(db, "SELECT COUNT(*) FROM attempts").toInt(), rows);
    QCOMPARE(WrongBook(db, Bank), rows ? QStringList{"a"} : QStringList());
    store.PracticeAnswered(Bank, Answer("c", false));
    QCOMPARE(Scalar(db, "SELECT COUNT(*) FROM attempts").toInt(), rows + 1);
    store.MarkFavourite(Bank, "b", true);
    QCOMPARE(Favourites(db, Bank), QStringList{"b"});
    QVERIFY(BrokenFiles(Folder()).isEmpty());
}

void TestStudyStore::examShownAgainIsUpdatedNotDoubled()
{
    StudyStore store(Folder());
    store.PracticeAnswered(Bank, Answer("q1", true));
    const qint64 exam = store.ExamStarted(Bank);
    QVERIFY(exam > 0);
    store.ExamFinished(exam, Result(1));
    store.PracticeAnswered(Bank, Answer("q3", false)); // between the two results
    store.ExamFinished(exam, Result(3));
    const QSqlDatabase db = store.Database();
    QCOMPARE(Scalar(db, "SELECT COUNT(*) FROM exams").toInt(), 1);
    QCOMPARE(Scalar(db, "SELECT state || ' ' || score FROM exams").toString(), "finished 3");
    QCOMPARE(Scalar(db, "SELECT COUNT(*) FROM attempts WHERE exam_id IS NOT NULL").toInt(), 3);
    QCOMPARE(Scalar(db, "SELECT SUM(correct) FROM attempts WHERE mode = 'exam'").toInt(), 3);
    // The exam's answers keep their place: q3's practice attempt came after them.
    QCOMPARE(WrongBook(db, Bank), QStringList{"q3"});
    const auto latest = LatestAnswers(db, Bank);
    QCOMPARE(latest.value("q3"), false);
    QCOMPARE(latest.value("q2"), true);
    const QList<FinishedExam> exams = FinishedExams(db, Bank);
    QCOMPARE(exams.size(), 1);
    QCOMPARE(exams[0].score, 3);
    QCOMPARE(exams[0].secondsUsed, 600);
}

void TestStudyStore::abandonedExams()
{
    StudyStore store(Folder());
    const qint64 left = store.ExamStarted(Bank);
    store.ExamAbandoned(left);
    const qint64 finished = store.ExamStarted(Bank);
    store.ExamFinished(finished, Result(2));
    store.ExamAbandoned(finished); // closed after its result: stays finished
    const QSqlDatabase db = store.Database();
    QCOMPARE(Scalar(db, QStringLiteral("SELECT state FROM exams WHERE id = %1").arg(left)),
             "abandoned");
    QCOMPARE(Scalar(db, QStringLiteral("SELECT state FROM exams WHERE id = %1").arg(finished)),
             "finished");
    QCOMPARE(Scalar(db, QStringLiteral("SELECT COUNT(*) FROM attempts WHERE exam_id = %1")
                            .arg(left)).toInt(), 0);
    QCOMPARE(FinishedExams(db, Bank).size(), 1);
}

void TestStudyStore::clearForgetsOneBank()
{
    StudyStore store(Folder());
    for (const QString& bank : {Bank, QStringLiteral("other.dat")}) {
        store.PracticeAnswered(bank, Answer("q1", false));
        store.ExamFinished(store.ExamStarted(bank), Result(1));
    }
    store.Clear(Bank);
    const QSqlDatabase db = store.Database();
    QVERIFY(LatestAnswers(db, Bank).isEmpty());
    QVERIFY(FinishedExams(db, Bank).isEmpty());
    QVERIFY(WrongBook(db, Bank).isEmpty());
    QCOMPARE(LatestAnswers(db, "other.dat").size(), 3);
    QCOMPARE(FinishedExams(db, "other.dat").size(), 1);
    QCOMPARE(WrongBook(db, "other.dat"), (QStringList{"q1", "q2", "q3"}));
}

void TestStudyStore::favouritesKeepTheirOrderPerBank()
{
    StudyStore store(Folder());
    for (const char* id : {"q3", "q1", "q2"})
        store.MarkFavourite(Bank, id, true);
    store.MarkFavourite(Bank, "q3", true); // marked again: keeps its place
    store.MarkFavourite(Bank, "q1", false);
    store.MarkFavourite(Bank, "q9", false); // never marked
    store.MarkFavourite("other.dat", "q1", true);
    const QSqlDatabase db = store.Database();
    QCOMPARE(Favourites(db, Bank), (QStringList{"q3", "q2"}));
    store.Clear(Bank); // the record goes, the learner's marks stay
    QCOMPARE(Favourites(db, Bank), (QStringList{"q3", "q2"}));
    QCOMPARE(Favourites(db, "other.dat"), QStringList{"q1"});
}

void TestStudyStore::mostMissed_data()
{
    // Practice answers in the order given: "a-" is a wrong answer to a, "a+" a right one.
    // Expected: id, times wrong, times right, and + or - for the latest answer.
    QTest::addColumn<QStringList>("answers");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("nothing answered") << QStringList() << QStringList();
    QTest::newRow("never wrong: not missed") << QStringList{"a+", "a+"} << QStringList();
    QTest::newRow("most wrong first")
        << QStringList{"a-", "b-", "b-", "c-", "c-", "c-"} << QStringList{"c 3 0 -", "b 2 0 -", "a 1 0 -"};
    QTest::newRow("right answers neither hide nor rank")
        << QStringList{"a-", "a-", "a+", "a+", "a+", "b-"} << QStringList{"a 2 3 +", "b 1 0 -"};
    QTest::newRow("equals: the latest wrong first")
        << QStringList{"a-", "b-", "b+", "a+"} << QStringList{"b 1 1 +", "a 1 1 +"};
    QTest::newRow("a later right answer does not move it up")
        << QStringList{"b-", "a-", "b+"} << QStringList{"a 1 0 -", "b 1 1 +"};
}

void TestStudyStore::mostMissed()
{
    QFETCH(QStringList, answers);
    QFETCH(QStringList, expected);
    StudyStore store(Folder());
    for (const QString& answer : answers)
        store.PracticeAnswered(Bank, Answer(answer.chopped(1), answer.endsWith(u'+')));
    store.PracticeAnswered("other.dat", Answer("z", false)); // another bank's
    QStringList missed;
    for (const MissedQuestion& q : MostMissed(store.Database(), Bank))
        missed.append(QStringLiteral("%1 %2 %3 %4")
                          .arg(q.questionId)
                          .arg(q.wrong)
                          .arg(q.right)
                          .arg(q.latestRight ? "+" : "-"));
    QCOMPARE(missed, expected);
}

void TestStudyStore::mostMissedCountsExamQuestionsLeftOpen()
{
    StudyStore store(Folder());
    store.PracticeAnswered(Bank, Answer("a", false));
    ExamResult sheet;
    sheet.answers = {Answer("a", true), {"b", 1, "", false}};
    store.ExamFinished(store.ExamStarted(Bank), sheet);
    const QList<MissedQuestion> missed = MostMissed(store.Database(), Bank);
    QCOMPARE(missed.size(), 2);
    QCOMPARE(missed[0].questionId, "b"); // left open in the exam: wrong, and the later one
    QCOMPARE(missed[0].wrong, 1);
    QCOMPARE(missed[1].questionId, "a");
    QCOMPARE(missed[1].right, 1);
    QVERIFY(missed[1].latestRight);
}

void TestStudyStore::badStore()
{
    QFETCH(BadStore, bad);
    if (!LayOut(bad, Folder()))
        QSKIP("a read-only folder cannot be made for this user");
    const QString path = QDir(Folder()).filePath(StudyStore::FileName);
    const QByteArray before = Bytes(path);

    StudyStore store(Folder());
    QCOMPARE(store.Problem(), ProblemOf(bad));
    switch (store.Problem()) {
    case StudyProblem::MovedAside: {
        const QStringList broken = BrokenFiles(Folder());
        QCOMPARE(broken.size(), 1);
        QCOMPARE(QDir(Folder()).filePath(broken[0]), store.ProblemDetail());
        QCOMPARE(Bytes(store.ProblemDetail()), before); // kept, byte for byte
        QVERIFY(store.IsRecording());
        store.PracticeAnswered(Bank, Answer("q1", false));
        QCOMPARE(WrongBook(store.Database(), Bank), QStringList{"q1"});
        break;
    }
    case StudyProblem::Newer:
        QVERIFY(!store.IsRecording());
        QCOMPARE(store.ExamStarted(Bank), 0);
        store.PracticeAnswered(Bank, Answer("q1", false));
        QCOMPARE(Bytes(path), before);
        QVERIFY(!QFile::exists(path + "-wal"));
        break;
    default:
        QVERIFY(!store.IsRecording());
        QCOMPARE(store.ExamStarted(Bank), 0);
        store.PracticeAnswered(Bank, Answer("q1", false)); // quietly nothing
        QVERIFY(!store.Database().isValid());
    }
}

// The learner sees one notice, and practice goes on as without a record.
void TestStudyStore::badStoreLeavesTheWindowsWorking()
{
    QFETCH(BadStore, bad);
    StudyFixture study;
    if (!LayOut(bad, StudyFixture::Folder()))
        QSKIP("a read-only folder cannot be made for this user");
    FixtureBank fixture;
    fixture.Write({QuestionLine(Question("c1", "1", "1", "C", QStringLiteral("一章 选择"))),
                   QuestionLine(Question("j1", "1", "0", "A", QStringLiteral("一章 判断")))});
    fixture.Use();
    MessageBoxCatcher boxes;
    for (int window = 0; window < 2; ++window) {
        PracticeDriver practice;
        practice.Chapter(1);
        practice.Start();
        practice.Choose(0);
        practice.Next(); // wrong: stays
        practice.Choose(2);
        practice.Next();
        QCOMPARE(practice.Question(), QStringLiteral("一章 判断"));
        QCOMPARE(practice.Text("txtts"), QStringLiteral("第 2 题"));
    }
    QCOMPARE(boxes.seen.size(), 1);
    QCOMPARE(boxes.seen[0].caption, QStringLiteral("提示信息"));
    const bool kept = ProblemOf(bad) == StudyProblem::MovedAside;
    QCOMPARE(boxes.seen[0].text.contains(QStringLiteral("不会记录")), !kept);
    QCOMPARE(boxes.seen[0].text.contains(QStringLiteral("照常记录")), kept);
    if (kept)
        QCOMPARE(StudyFixture::Scalar("SELECT COUNT(*) FROM attempts").toInt(), 2);
    QFile::setPermissions(StudyFixture::Folder(),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

QTEST_MAIN(TestStudyStore)
#include "tst_studystore.moc"
