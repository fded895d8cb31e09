#include "links/LinksWindow.h"

#include "support/MessageBoxCatcher.h"
#include "support/UrlCatcher.h"

#include <QApplication>
#include <QLabel>
#include <QRegularExpression>
#include <QPushButton>
#include <QTest>

namespace {
QLabel* Site(const QWidget& window, int i)
{
    return window.findChild<QLabel*>(QStringLiteral("lblSite%1").arg(i));
}
} // namespace

class TestLinksWindow : public QObject {
    Q_OBJECT
private slots:
    void everyLabelOpensItsOwnAddress();
    void onlyWebAddressesOpen();
    void severalWindowsAtOnce();
    void keyboardReachesEverySite();
    void escapeCloses();
    void anAddressNothingOpensIsShown();
};

void TestLinksWindow::everyLabelOpensItsOwnAddress()
{
    LinksWindow window;
    window.show();
    QCOMPARE(window.windowTitle(), QStringLiteral("常用网址"));
    QCOMPARE(Site(window, 0)->text(), QStringLiteral("中国驾校网"));
    QCOMPARE(Site(window, 14)->text(), QStringLiteral("汽车之家"));
    UrlCatcher urls;
    QSet<QString> addresses;
    for (int i = 0; i < LinksWindow::SiteCount; ++i) {
        QLabel* label = Site(window, i);
        QVERIFY(label);
        QCOMPARE(label->cursor().shape(), Qt::PointingHandCursor);
        QTest::mouseClick(label, Qt::LeftButton);
        const QString tag = label->property("tag").toString();
        QCOMPARE(urls.opened.size(), i + 1);
        QCOMPARE(urls.opened.last(), QUrl(tag));
        QCOMPARE(label->toolTip(), tag);
        QVERIFY(tag.startsWith("https://"));
        addresses.insert(tag);
    }
    QCOMPARE(addresses.size(), LinksWindow::SiteCount);
}

void TestLinksWindow::onlyWebAddressesOpen()
{
    LinksWindow window;
    UrlCatcher urls;
    Site(window, 3)->setProperty("tag", "file:///etc/passwd");
    window.OpenSite(3);
    Site(window, 3)->setProperty("tag", "ftp://example.org/");
    window.OpenSite(3);
    QCOMPARE(urls.opened.size(), 0);
}

void TestLinksWindow::severalWindowsAtOnce()
{
    auto* first = new LinksWindow();
    auto* second = new LinksWindow();
    first->setAttribute(Qt::WA_DeleteOnClose);
    first->show();
    second->show();
    QTest::mouseClick(first->findChild<QPushButton*>("cmdClose"), Qt::LeftButton);
    QVERIFY(!first->isVisible() || first->isHidden());
    QVERIFY(second->isVisible());
    UrlCatcher urls;
    QTest::mouseClick(Site(*second, 8), Qt::LeftButton);
    QCOMPARE(urls.opened, QList<QUrl>{QUrl(Site(*second, 8)->property("tag").toString())});
    delete second;
}

void TestLinksWindow::keyboardReachesEverySite()
{
    LinksWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    UrlCatcher urls;
    Site(window, 0)->setFocus();
    for (int i = 0; i < LinksWindow::SiteCount; ++i) {
        QCOMPARE(QApplication::focusWidget(), Site(window, i));
        QTest::keyClick(QApplication::focusWidget(), i % 2 ? Qt::Key_Space : Qt::Key_Return);
        QCOMPARE(urls.opened.size(), i + 1);
        QCOMPARE(urls.opened.last(), QUrl(Site(window, i)->property("tag").toString()));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    QCOMPARE(QApplication::focusWidget(), window.findChild<QPushButton*>("cmdClose"));
}

void TestLinksWindow::escapeCloses()
{
    LinksWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QTest::keyClick(Site(window, 4), Qt::Key_Escape);
    QVERIFY(!window.isVisible());
}

void TestLinksWindow::anAddressNothingOpensIsShown()
{
    LinksWindow window;
    UrlCatcher refusing(UrlCatcher::Refuse);
    MessageBoxCatcher boxes;
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("No such method"));
    window.OpenSite(6);
    QCOMPARE(boxes.seen.size(), 1);
    QCOMPARE(boxes.seen[0].caption, QStringLiteral("提示信息"));
    QVERIFY(boxes.seen[0].text.contains(QStringLiteral("https://jtgl.beijing.gov.cn")));
}

QTEST_MAIN(TestLinksWindow)
#include "tst_linkswindow.moc"
