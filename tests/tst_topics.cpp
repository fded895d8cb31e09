#include "bank/Topics.h"
#include "common/Platform.h"
#include "common/Study.h"
#include "practice/PracticeWindow.h"
#include "study/StudyStore.h"
#include "support/FixtureBank.h"
#include "support/StudyFixture.h"
#include "support/TopLevelWindows.h"
#include "support/WindowDriver.h"
#include "topics/TopicIndex.h"
#include "topics/TopicsWindow.h"

#include <QApplication>
#include <QLabel>
#include <QTest>
#include <QTreeWidget>

namespace {
const QString Bank = QStringLiteral("beijing.dat");

// A record with an explanation, so that field 7 follows field 6.
QStringList WithTopics(const QString& id, const QString& chapter, const QStringList& topics)
{
    return Question(id, chapter, "0", "A", QStringLiteral("题 %1").arg(id), {},
                    QStringLiteral("解释 %1").arg(id))
           << Topics::Field(topics);
}

// The ids per topic as "name: ids", for the topics that have any.
QStringList Listed(const QList<QStringList>& byTopic)
{
    QStringList listed;
    for (int i = 0; i < byTopic.size(); ++i) {
        if (!byTopic[i].isEmpty())
            listed.append(Topics::Names[i] + ": " + byTopic[i].join(u' '));
    }
    return listed;
}

struct TopicsDriver : WindowDriver<TopicsWindow> {
    QTreeWidget* List() const { return Get<QTreeWidget>("lstTopics"); }
    QTreeWidgetItem* Row(const QString& topic) const
    {
        return List()->topLevelItem(static_cast<int>(Topics::Names.indexOf(topic)));
    }
    QString Figures(const QString& topic) const
    {
        const QTreeWidgetItem* row = Row(topic);
        return QStringList{row->text(1), row->text(2), row->text(3)}.join(u'|');
    }
};
} // namespace

class TestTopics : public QObject {
    Q_OBJECT
private slots:
    void questionsByTopic_data();
    void questionsByTopic();
    void shareText_data();
    void shareText();
    void window();
    void bankWithoutTopics();
    void cleanup();

private:
    std::unique_ptr<FixtureBank> fixture;
    std::unique_ptr<StudyFixture> study;
};

void TestTopics::questionsByTopic_data()
{
    QTest::addColumn<QList<QStringList>>("records");
    QTest::addColumn<QStringList>("listed");
    QTest::newRow("in the list's order, questions in theirs")
        << QList<QStringList>{{"a", "1", "0", "A", "t", "", "e", "2,3"},
                              {"b", "2", "0", "A", "t", "", "e", "3"},
                              {"c", "1", "0", "A", "t", "", "e", "1"}}
        << QStringList{"数字: c", "罚款: a", "记分: a b"};
    QTest::newRow("without field 7, in no topic")
        << QList<QStringList>{{"a", "1", "0", "A", "t", ""}, {"b", "1", "0", "A", "t", "", "e"}}
        << QStringList{};
    QTest::newRow("a number not on the list, or named twice")
        << QList<QStringList>{{"a", "1", "0", "A", "t", "", "e", "99,2,2"}}
        << QStringList{"罚款: a"};
    QTest::newRow("a record in no chapter is in no practice")
        << QList<QStringList>{{"a", "11", "0", "A", "t", "", "e", "2"},
                              {"b", "3", "0", "A", "t", "", "e", "2"}}
        << QStringList{"罚款: b"};
}

void TestTopics::questionsByTopic()
{
    QFETCH(QList<QStringList>, records);
    QFETCH(QStringList, listed);
    QList<BankRecord> bank;
    for (const QStringList& record : records)
        bank.append({bank.size() + 1, record.join(Record::Separator)});
    QCOMPARE(Listed(QuestionsByTopic(NumberQuestions(bank))), listed);
}

void TestTopics::shareText_data()
{
    QTest::addColumn<int>("attempted");
    QTest::addColumn<int>("latestRight");
    QTest::addColumn<QString>("text");
    QTest::newRow("nothing answered") << 0 << 0 << QStringLiteral("—");
    QTest::newRow("none right") << 3 << 0 << QStringLiteral("0%");
    QTest::newRow("all right") << 3 << 3 << QStringLiteral("100%");
    QTest::newRow("rounded up") << 3 << 2 << QStringLiteral("67%");
    QTest::newRow("rounded down") << 3 << 1 << QStringLiteral("33%");
    QTest::newRow("a half rounds up") << 8 << 1 << QStringLiteral("13%");
}

void TestTopics::shareText()
{
    QFETCH(int, attempted);
    QFETCH(int, latestRight);
    QFETCH(QString, text);
    QCOMPARE(ShareText({10, attempted, latestRight}), text);
}

// The figures come from the latest answer of each question; a topic opens in practice over its
// questions, captioned with its name.
void TestTopics::window()
{
    study = std::make_unique<StudyFixture>();
    fixture = std::make_unique<FixtureBank>();
    fixture->Write({QuestionLine(WithTopics("a", "1", {QStringLiteral("罚款"), QStringLiteral("记分")})),
                    QuestionLine(WithTopics("b", "2", {QStringLiteral("记分")})),
                    QuestionLine(WithTopics("c", "1", {QStringLiteral("记分"), QStringLiteral("数字")}))});
    fixture->Use();
    Study().PracticeAnswered(Bank, {"a", 1, "A", true});
    Study().PracticeAnswered(Bank, {"b", 2, "B", true});
    Study().PracticeAnswered(Bank, {"b", 2, "B", false}); // the latest counts

    TopicsDriver t;
    QCOMPARE(t.window.windowTitle(), QStringLiteral("专项练习"));
    QCOMPARE(t.List()->topLevelItemCount(), Topics::Names.size());
    QCOMPARE(t.Figures("记分"), QStringLiteral("3 题|2 题|50%"));
    QCOMPARE(t.Figures("罚款"), QStringLiteral("1 题|1 题|100%"));
    QCOMPARE(t.Figures("数字"), QStringLiteral("1 题|0 题|—"));
    QCOMPARE(t.Figures("交警手势"), QStringLiteral("0 题|0 题|—"));
    QVERIFY(t.Row("交警手势")->isDisabled());
    QVERIFY(!t.Enabled("cmdStart"));

    t.List()->setCurrentItem(t.Row("记分"));
    QTest::keyClick(t.List(), Qt::Key_Return);
    PracticeWindow* practice = ShownWindow<PracticeWindow>();
    QVERIFY(practice);
    QCOMPARE(practice->windowTitle(), QStringLiteral("记分"));
    QCOMPARE(practice->findChild<QLineEdit*>("txtTotal")->text(), QStringLiteral("共 3 题"));
    QCOMPARE(practice->findChild<QPlainTextEdit*>("txtQuestion")->toPlainText(),
             QStringLiteral("题 a"));

    Study().PracticeAnswered(Bank, {"c", 1, "A", true});
    t.window.ShowTopics(); // as on coming back to the window
    QCOMPARE(t.Figures("记分"), QStringLiteral("3 题|3 题|67%"));
    QCOMPARE(t.List()->currentItem(), t.Row("记分"));
}

void TestTopics::bankWithoutTopics()
{
    study = std::make_unique<StudyFixture>();
    fixture = std::make_unique<FixtureBank>();
    fixture->Write(FixtureBank::ExamLines(2, 2));
    fixture->Use();
    TopicsDriver t;
    QCOMPARE(t.Get<QLabel>("lblHint")->text(), QStringLiteral("本题库的题目没有标注专项，无法专项练习。"));
    for (int i = 0; i < t.List()->topLevelItemCount(); ++i)
        QVERIFY(t.List()->topLevelItem(i)->isDisabled());
}

void TestTopics::cleanup()
{
    CloseAllWindows();
    fixture.reset();
    study.reset();
}

QTEST_MAIN(TestTopics)
#include "tst_topics.moc"
