#include "links/FormNet.h"

#include <QDesktopServices>
#include <QLabel>
#include <QPushButton>
#include <QTest>

namespace {
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    UrlCatcher()
    {
        for (const char* scheme : {"http", "https", "file", "ftp"})
            QDesktopServices::setUrlHandler(scheme, this, "Open");
    }
    ~UrlCatcher() override
    {
        for (const char* scheme : {"http", "https", "file", "ftp"})
            QDesktopServices::unsetUrlHandler(scheme);
    }
    QList<QUrl> opened;
public slots:
    void Open(const QUrl& url) { opened.append(url); }
};

QLabel* Site(const QWidget& window, int i)
{
    return window.findChild<QLabel*>(QStringLiteral("Label1_%1").arg(i));
}
} // namespace

class TestLinksWindow : public QObject {
    Q_OBJECT
private slots:
    void everyLabelOpensItsOwnAddress();
    void onlyWebAddressesOpen();
    void severalWindowsAtOnce();
};

void TestLinksWindow::everyLabelOpensItsOwnAddress()
{
    FormNet window;
    window.show();
    QCOMPARE(window.windowTitle(), QStringLiteral("常用网址"));
    QCOMPARE(Site(window, 0)->text(), QStringLiteral("中国驾校网"));
    QCOMPARE(Site(window, 14)->text(), QStringLiteral("汽车之家"));
    UrlCatcher urls;
    QSet<QString> addresses;
    for (int i = 0; i < FormNet::SiteCount; ++i) {
        QLabel* label = Site(window, i);
        QVERIFY(label);
        QCOMPARE(label->cursor().shape(), Qt::PointingHandCursor);
        QTest::mouseClick(label, Qt::LeftButton);
        const QString tag = label->property("tag").toString();
        QCOMPARE(urls.opened.size(), i + 1);
        QCOMPARE(urls.opened.last(), QUrl(tag));
        QVERIFY(tag.startsWith("https://"));
        addresses.insert(tag);
    }
    QCOMPARE(addresses.size(), FormNet::SiteCount);
}

void TestLinksWindow::onlyWebAddressesOpen()
{
    FormNet window;
    UrlCatcher urls;
    Site(window, 3)->setProperty("tag", "file:///etc/passwd");
    window.Label1_Click(3);
    Site(window, 3)->setProperty("tag", "ftp://example.org/");
    window.Label1_Click(3);
    QCOMPARE(urls.opened.size(), 0);
}

void TestLinksWindow::severalWindowsAtOnce()
{
    auto* first = new FormNet();
    auto* second = new FormNet();
    first->setAttribute(Qt::WA_DeleteOnClose);
    first->show();
    second->show();
    QTest::mouseClick(first->findChild<QPushButton*>("Command1"), Qt::LeftButton);
    QVERIFY(!first->isVisible() || first->isHidden());
    QVERIFY(second->isVisible());
    UrlCatcher urls;
    QTest::mouseClick(Site(*second, 8), Qt::LeftButton);
    QCOMPARE(urls.opened, QList<QUrl>{QUrl(Site(*second, 8)->property("tag").toString())});
    delete second;
}

QTEST_MAIN(TestLinksWindow)
#include "tst_linkswindow.moc"
