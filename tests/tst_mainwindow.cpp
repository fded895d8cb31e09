#include "app/MainWindow.h"
#include "common/Platform.h"
#include "exam/ExamWindow.h"
#include "links/LinksWindow.h"
#include "practice/PracticeWindow.h"
#include "progress/StudyWindow.h"
#include "search/SearchWindow.h"
#include "support/FixtureBank.h"
#include "support/MessageBoxCatcher.h"
#include "support/TopLevelWindows.h"
#include "support/UrlCatcher.h"
#include "topics/TopicsWindow.h"

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QStandardPaths>
#include <QTest>

namespace
{
template <typename W> int OpenWindows()
{
    int count = 0;
    for (QWidget* widget : QApplication::topLevelWidgets())
        count += qobject_cast<W*>(widget) && widget->isVisible();
    return count;
}

void Click(QWidget* window, const char* name)
{
    auto* button = window->findChild<QPushButton*>(name);
    QVERIFY2(button, name);
    QTest::mouseClick(button, Qt::LeftButton);
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void init();
    void cleanup() { CloseAllWindows(); }
    void startsWithNoBankChosen();
    void refusesWithoutBank_data();
    void refusesWithoutBank();
    void opensIndependentWindows();
    void linksNeedNoBank();
    void exitClosesOnlyTheMainWindow();
    void addressLabelOpensItsAddress();
    void addressNothingOpensIsShown();
    void messageBoxesSpeakChinese();
    void backgroundCoversTheWindow();
    void remembersTheBankUsedLast();
    void backgroundKeptForTheNextStart_data();
    void backgroundKeptForTheNextStart();
    void placedWithinTheScreen_data();
    void placedWithinTheScreen();
    void windowsOpenWithinTheScreen();

private:
    FixtureBank fixture;
    MainWindow* main = nullptr;
};

void TestMainWindow::init()
{
    fixture.Write(FixtureBank::ExamLines(3, 3));
    fixture.Use();
    BankFile.clear();
    AppSettings().clear();
    main = new MainWindow();
    main->setAttribute(Qt::WA_DeleteOnClose);
    main->show();
}

void TestMainWindow::startsWithNoBankChosen()
{
    auto* bankList = main->findChild<QComboBox*>("cboBank");
    QCOMPARE(bankList->count(), 1);
    QCOMPARE(bankList->itemText(0), QStringLiteral("北京"));
    QCOMPARE(bankList->currentIndex(), -1);
    QCOMPARE(main->windowTitle(), QStringLiteral("交规练习与模拟考试"));
}

void TestMainWindow::refusesWithoutBank_data()
{
    QTest::addColumn<QString>("button");
    QTest::newRow("exam") << "cmdExam";
    QTest::newRow("practice") << "cmdPractice";
    QTest::newRow("study record") << "cmdStudy";
    QTest::newRow("today's review") << "cmdReview";
    QTest::newRow("topics") << "cmdTopics";
    QTest::newRow("search") << "cmdSearch";
}

void TestMainWindow::refusesWithoutBank()
{
    QFETCH(QString, button);
    MessageBoxCatcher boxes;
    Click(main, qPrintable(button));
    QCOMPARE(boxes.seen.size(), 1);
    QCOMPARE(boxes.seen[0].text, QStringLiteral("请先选择题库"));
    QCOMPARE(boxes.seen[0].caption, QStringLiteral("提示信息"));
    QCOMPARE(boxes.seen[0].icon, QMessageBox::Warning);
    QCOMPARE(OpenWindows<ExamWindow>() + OpenWindows<PracticeWindow>() +
                 OpenWindows<StudyWindow>() + OpenWindows<TopicsWindow>() +
                 OpenWindows<SearchWindow>(),
             0);
    QCOMPARE(BankFile, QString());
}

void TestMainWindow::opensIndependentWindows()
{
    main->findChild<QComboBox*>("cboBank")->setCurrentIndex(0);
    Click(main, "cmdExam");
    QCOMPARE(BankFile, QStringLiteral("beijing.dat"));
    Click(main, "cmdExam");
    Click(main, "cmdPractice");
    Click(main, "cmdStudy");
    Click(main, "cmdTopics");
    Click(main, "cmdSearch");
    main->activateWindow(); // Ctrl+F is the main window's own
    QVERIFY(QTest::qWaitForWindowActive(main));
    QTest::keyClick(main, Qt::Key_F, Qt::ControlModifier);
    QCOMPARE(OpenWindows<TopicsWindow>(), 1);
    QCOMPARE(OpenWindows<SearchWindow>(), 2);
    QCOMPARE(OpenWindows<ExamWindow>(), 2);
    QCOMPARE(OpenWindows<PracticeWindow>(), 1);
    QCOMPARE(OpenWindows<StudyWindow>(), 1);
    QCOMPARE(main->findChild<QPushButton*>("cmdStudy")->text(), QStringLiteral("学习记录"));
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget != main)
            QCOMPARE(widget->parentWidget(), nullptr);
    }
}

void TestMainWindow::linksNeedNoBank()
{
    MessageBoxCatcher boxes;
    Click(main, "cmdLinks");
    Click(main, "cmdLinks");
    QCOMPARE(OpenWindows<LinksWindow>(), 2);
    QCOMPARE(boxes.seen.size(), 0);
}

void TestMainWindow::exitClosesOnlyTheMainWindow()
{
    main->findChild<QComboBox*>("cboBank")->setCurrentIndex(0);
    Click(main, "cmdExam");
    Click(main, "cmdLinks");
    Click(main, "cmdQuit");
    QCOMPARE(OpenWindows<MainWindow>(), 0);
    QCOMPARE(OpenWindows<ExamWindow>(), 1);
    QCOMPARE(OpenWindows<LinksWindow>(), 1);
}

void TestMainWindow::addressLabelOpensItsAddress()
{
    UrlCatcher urls;
    auto* label = main->findChild<QLabel*>("lblPublisher");
    QCOMPARE(label->cursor().shape(), Qt::PointingHandCursor);
    QTest::mouseClick(label, Qt::LeftButton);
    QCOMPARE(urls.opened, QList<QUrl>{QUrl(label->text())});
    QCOMPARE(label->text(), QStringLiteral("https://www.122.gov.cn"));
}

void TestMainWindow::addressNothingOpensIsShown()
{
    UrlCatcher refusing(UrlCatcher::Refuse);
    MessageBoxCatcher boxes;
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("No such method"));
    QTest::mouseClick(main->findChild<QLabel*>("lblPublisher"), Qt::LeftButton);
    QCOMPARE(boxes.seen.size(), 1);
    QCOMPARE(boxes.seen[0].caption, QStringLiteral("提示信息"));
    QVERIFY(boxes.seen[0].text.contains(QStringLiteral("https://www.122.gov.cn")));
}

void TestMainWindow::messageBoxesSpeakChinese()
{
    QVERIFY(InstallQtTranslation());
    QMessageBox box(QMessageBox::Information, "t", "x", QMessageBox::Ok);
    QCOMPARE(box.button(QMessageBox::Ok)->text(), QStringLiteral("确定"));
}

void TestMainWindow::backgroundCoversTheWindow()
{
    const auto* background = main->findChild<QLabel*>("lblBackground");
    for (const QSize size : {QSize(540, 400), QSize(900, 500), QSize(600, 700)}) {
        main->resize(size);
        QTRY_COMPARE(background->geometry(), main->rect());
        const QPixmap shown = background->pixmap();
        QCOMPARE(shown.deviceIndependentSize().toSize(), size);
        QCOMPARE(shown.size(), size * shown.devicePixelRatio());
    }
}

void TestMainWindow::remembersTheBankUsedLast()
{
    auto* bankList = main->findChild<QComboBox*>("cboBank");
    bankList->setCurrentIndex(0); // chosen but not used: not remembered
    main->close();
    main = new MainWindow();
    QCOMPARE(main->findChild<QComboBox*>("cboBank")->currentIndex(), -1);
    main->findChild<QComboBox*>("cboBank")->setCurrentIndex(0);
    Click(main, "cmdPractice");
    CloseAllWindows();
    main = new MainWindow();
    QCOMPARE(main->findChild<QComboBox*>("cboBank")->currentIndex(), 0);
    Click(main, "cmdExam"); // opens at once, no "请先选择题库"
    QCOMPARE(OpenWindows<ExamWindow>(), 1);
}

void TestMainWindow::backgroundKeptForTheNextStart_data()
{
    QTest::addColumn<QByteArray>("kept"); // what the cache file holds at the second start
    QTest::newRow("as kept") << QByteArray();
    QTest::newRow("damaged") << QByteArray("not a picture");
}

void TestMainWindow::backgroundKeptForTheNextStart()
{
    QFETCH(QByteArray, kept);
    const QSize size(540, 400);
    main->resize(size);
    QVERIFY(QTest::qWaitForWindowExposed(main));
    const QImage first = main->findChild<QLabel*>("lblBackground")->pixmap().toImage();
    const QDir cache(QStandardPaths::writableLocation(QStandardPaths::CacheLocation));
    const QStringList files = cache.entryList({"background-*"}, QDir::Files);
    QCOMPARE(files.size(), 1);
    if (!kept.isEmpty()) {
        QFile file(cache.filePath(files[0]));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(kept);
    }
    CloseAllWindows();
    main = new MainWindow();
    main->resize(size);
    main->show();
    QVERIFY(QTest::qWaitForWindowExposed(main));
    QCOMPARE(main->findChild<QLabel*>("lblBackground")->pixmap().toImage(), first);
}

void TestMainWindow::placedWithinTheScreen_data()
{
    QTest::addColumn<QSize>("wanted");
    QTest::addColumn<QSize>("minimum");
    QTest::addColumn<QRect>("available");
    QTest::addColumn<QRect>("placed");
    const QRect small(0, 0, 1280, 720);
    QTest::newRow("fits: centred")
        << QSize(700, 520) << QSize(600, 440) << small << QRect(290, 112, 700, 520);
    QTest::newRow("too tall: shrunk to the room")
        << QSize(860, 900) << QSize(640, 520) << small << QRect(210, 32, 860, 680);
    QTest::newRow("too wide and tall")
        << QSize(2000, 1000) << QSize(600, 400) << small << QRect(8, 32, 1264, 680);
    QTest::newRow("panel on the left")
        << QSize(700, 520) << QSize() << QRect(64, 0, 1216, 720) << QRect(322, 112, 700, 520);
    QTest::newRow("minimum larger than the room")
        << QSize(900, 800) << QSize(900, 800) << small << QRect(190, 32, 900, 800);
    QTest::newRow("second screen")
        << QSize(700, 520) << QSize() << QRect(1280, 0, 1280, 720) << QRect(1570, 112, 700, 520);
}

void TestMainWindow::placedWithinTheScreen()
{
    QFETCH(QSize, wanted);
    QFETCH(QSize, minimum);
    QFETCH(QRect, available);
    QFETCH(QRect, placed);
    QCOMPARE(PlaceWithin(wanted, minimum, available), placed);
}

// The offscreen screen is 800x600: smaller than the study window's own size.
void TestMainWindow::windowsOpenWithinTheScreen()
{
    main->findChild<QComboBox*>("cboBank")->setCurrentIndex(0);
    const QRect available = main->screen()->availableGeometry();
    for (const char* button : {"cmdPractice", "cmdStudy", "cmdLinks"}) {
        Click(main, button);
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (widget == main || !widget->isVisible())
                continue;
            QVERIFY2(available.contains(widget->geometry()),
                     qPrintable(QStringLiteral("%1 %2x%3")
                                    .arg(button)
                                    .arg(widget->width())
                                    .arg(widget->height())));
            widget->close();
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
