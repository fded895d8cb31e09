#include "common/QuestionKeys.h"

#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

namespace {
enum class State { Usable, Hidden, Disabled };

// A question window reduced to what the keys act on: three options and the two steps.
struct Window {
    Window()
    {
        auto* layout = new QVBoxLayout(&widget);
        for (int i = 0; i < 3; ++i) {
            options[i] = new QRadioButton(QString(QChar(u'A' + i)));
            layout->addWidget(options[i]);
        }
        layout->addWidget(next);
        layout->addWidget(previous);
        new QuestionKeys(&widget, options, next, previous);
    }
    QList<QAbstractButton*> Buttons() const
    {
        return {options[0], options[1], options[2], next, previous};
    }

    QWidget widget;
    QuestionKeys::Options options;
    QPushButton* next = new QPushButton(QStringLiteral("下一题"));
    QPushButton* previous = new QPushButton(QStringLiteral("上一题"));
};
} // namespace

Q_DECLARE_METATYPE(State)

class TestQuestionKeys : public QObject {
    Q_OBJECT
private slots:
    void keyActsOnlyWhereAClickCould_data();
    void keyActsOnlyWhereAClickCould();
};

void TestQuestionKeys::keyActsOnlyWhereAClickCould_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("button"); // 0-2 the options, 3 next, 4 previous
    QTest::addColumn<State>("state");
    QTest::addColumn<bool>("clicked");
    const QList<std::pair<int, int>> keys = {
        {Qt::Key_A, 0},     {Qt::Key_1, 0}, {Qt::Key_B, 1},      {Qt::Key_C, 2},
        {Qt::Key_3, 2},     {Qt::Key_Right, 3}, {Qt::Key_Return, 3}, {Qt::Key_PageDown, 3},
        {Qt::Key_Left, 4},  {Qt::Key_PageUp, 4},
    };
    for (const auto& [key, button] : keys) {
        const QString name = QKeySequence(key).toString();
        QTest::addRow("%s usable", qPrintable(name)) << key << button << State::Usable << true;
        QTest::addRow("%s hidden", qPrintable(name)) << key << button << State::Hidden << false;
        QTest::addRow("%s disabled", qPrintable(name)) << key << button << State::Disabled
                                                       << false;
    }
}

// As on a true/false question, whose third option is hidden, or in the review, whose options
// are disabled: a key clicks its control only when the learner could click it, and no other.
void TestQuestionKeys::keyActsOnlyWhereAClickCould()
{
    QFETCH(int, key);
    QFETCH(int, button);
    QFETCH(State, state);
    QFETCH(bool, clicked);
    Window window;
    QAbstractButton* target = window.Buttons()[button];
    target->setVisible(state != State::Hidden);
    target->setEnabled(state != State::Disabled);
    window.widget.show();
    QVERIFY(QTest::qWaitForWindowActive(&window.widget));
    QList<std::shared_ptr<QSignalSpy>> spies;
    for (QAbstractButton* each : window.Buttons())
        spies.append(std::make_shared<QSignalSpy>(each, &QAbstractButton::clicked));

    QTest::keyClick(&window.widget, Qt::Key(key));

    for (int i = 0; i < spies.size(); ++i)
        QCOMPARE(spies[i]->size(), i == button && clicked ? 1 : 0);
}

QTEST_MAIN(TestQuestionKeys)
#include "tst_questionkeys.moc"
