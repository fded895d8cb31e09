#include "common/TextZoom.h"

#include <QCoreApplication>
#include <QLabel>
#include <QSettings>
#include <QStandardPaths>
#include <QTest>
#include <QVBoxLayout>

namespace {
const QString SizeKey = QStringLiteral("questionText/pointSize");

QSettings Settings()
{
    return QSettings(QCoreApplication::applicationName(), QCoreApplication::applicationName());
}

// A question window reduced to what the text size acts on: one text, and one that it leaves.
struct Window {
    Window()
    {
        auto* layout = new QVBoxLayout(&widget);
        layout->addWidget(text);
        layout->addWidget(other);
        zoom = new TextZoom(&widget, {text});
        widget.show();
    }
    void Press(int key, int times = 1)
    {
        for (int i = 0; i < times; ++i)
            QTest::keyClick(&widget, key, Qt::ControlModifier);
    }
    int Shown() const { return text->font().pointSize(); }

    QWidget widget;
    QLabel* text = new QLabel(QStringLiteral("题目"));
    QLabel* other = new QLabel(QStringLiteral("标签"));
    TextZoom* zoom;
};
} // namespace

class TestTextZoom : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void init() { Settings().clear(); }
    void storedSizeWithinTheBounds_data();
    void storedSizeWithinTheBounds();
    void keysStopAtTheBounds_data();
    void keysStopAtTheBounds();
};

void TestTextZoom::storedSizeWithinTheBounds_data()
{
    QTest::addColumn<QVariant>("stored"); // invalid: nothing stored
    QTest::addColumn<int>("shown");
    QTest::newRow("nothing stored") << QVariant() << TextZoom::DefaultSize;
    QTest::newRow("smallest") << QVariant(TextZoom::SmallestSize) << TextZoom::SmallestSize;
    QTest::newRow("largest") << QVariant(TextZoom::LargestSize) << TextZoom::LargestSize;
    QTest::newRow("below the smallest") << QVariant(TextZoom::SmallestSize - 1)
                                        << TextZoom::SmallestSize;
    QTest::newRow("zero") << QVariant(0) << TextZoom::SmallestSize;
    QTest::newRow("negative") << QVariant(-12) << TextZoom::SmallestSize;
    QTest::newRow("above the largest") << QVariant(TextZoom::LargestSize + 1)
                                       << TextZoom::LargestSize;
    QTest::newRow("huge") << QVariant(1000000) << TextZoom::LargestSize;
    QTest::newRow("not a number") << QVariant("gross") << TextZoom::DefaultSize;
}

// A size from an edited or older settings file is shown within the bounds.
void TestTextZoom::storedSizeWithinTheBounds()
{
    QFETCH(QVariant, stored);
    QFETCH(int, shown);
    if (stored.isValid())
        Settings().setValue(SizeKey, stored);
    Window window;
    QCOMPARE(window.zoom->Size(), shown);
    QCOMPARE(window.Shown(), shown);
    QCOMPARE(window.other->font().pointSize(), QLabel().font().pointSize());
}

void TestTextZoom::keysStopAtTheBounds_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("times");
    QTest::addColumn<int>("shown");
    QTest::newRow("enlarged up to the largest")
        << TextZoom::DefaultSize << int(Qt::Key_Equal) << 40 << TextZoom::LargestSize;
    QTest::newRow("at the largest, enlarged") << TextZoom::LargestSize << int(Qt::Key_Equal) << 1
                                              << TextZoom::LargestSize;
    QTest::newRow("at the largest, shrunk") << TextZoom::LargestSize << int(Qt::Key_Minus) << 1
                                            << TextZoom::LargestSize - 1;
    QTest::newRow("shrunk down to the smallest")
        << TextZoom::DefaultSize << int(Qt::Key_Minus) << 40 << TextZoom::SmallestSize;
    QTest::newRow("at the smallest, shrunk") << TextZoom::SmallestSize << int(Qt::Key_Minus) << 1
                                             << TextZoom::SmallestSize;
    QTest::newRow("at the smallest, enlarged") << TextZoom::SmallestSize << int(Qt::Key_Equal)
                                               << 1 << TextZoom::SmallestSize + 1;
    QTest::newRow("reset from the largest")
        << TextZoom::LargestSize << int(Qt::Key_0) << 1 << TextZoom::DefaultSize;
}

// The keys never leave the bounds, and what is kept for the next window is what is shown.
void TestTextZoom::keysStopAtTheBounds()
{
    QFETCH(int, from);
    QFETCH(int, key);
    QFETCH(int, times);
    QFETCH(int, shown);
    Settings().setValue(SizeKey, from);
    {
        Window window;
        QVERIFY(QTest::qWaitForWindowActive(&window.widget));
        window.Press(key, times);
        QCOMPARE(window.Shown(), shown);
    }
    QCOMPARE(Settings().value(SizeKey).toInt(), shown);
    QCOMPARE(Window().Shown(), shown);
}

QTEST_MAIN(TestTextZoom)
#include "tst_textzoom.moc"
