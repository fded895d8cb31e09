#include "app/MainWindow.h"

#include "bank/Cipher.h"
#include "common/ChosenBank.h"
#include "common/Platform.h"
#include "common/SetUpUi.h"
#include "common/Study.h"
#include "exam/ExamWindow.h"
#include "links/LinksWindow.h"
#include "practice/PracticeWindow.h"
#include "progress/PassForecast.h"
#include "progress/StudyPlan.h"
#include "progress/StudyWindow.h"
#include "search/SearchWindow.h"
#include "study/StudyQueries.h"
#include "study/StudyStore.h"
#include "topics/TopicsWindow.h"
#include "ui_MainWindow.h"

#include <QDateTime>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QResource>
#include <QSaveFile>
#include <QShortcut>
#include <QStandardPaths>
#include <QSvgRenderer>

namespace
{
const QString BeijingEntry = QStringLiteral("北京");
const QString BeijingFile = QStringLiteral("beijing.dat");
const QString BackgroundPicture = QStringLiteral(":/app/background.svg");
// The bank list's entry the learner opened a window with last.
const QString LastBankKey = QStringLiteral("lastBank");
constexpr QImage::Format BackgroundFormat = QImage::Format_RGB32;

// The background as last shown, kept between runs: drawing it from its SVG costs more than the
// rest of the main window's start, reading it back costs little. Named after the drawing, so
// that a changed drawing is never mistaken for the kept one.
QString BackgroundCachePath()
{
    const QByteArray drawing = QResource(BackgroundPicture).uncompressedData();
    return QDir(QStandardPaths::writableLocation(QStandardPaths::CacheLocation))
        .filePath(QStringLiteral("background-%1.raw").arg(qHash(drawing), 0, 16));
}

// The pixels as they lie in memory after their width and height: reading them back is one
// read, where a picture format would decode pixel by pixel.
bool WriteRawImage(QIODevice& file, const QImage& image)
{
    const qint32 size[] = {image.width(), image.height()};
    return file.write(reinterpret_cast<const char*>(size), sizeof size) == sizeof size &&
           file.write(reinterpret_cast<const char*>(image.constBits()), image.sizeInBytes()) ==
               image.sizeInBytes();
}

// A null image unless the file holds a whole picture of exactly this size.
QImage ReadRawImage(const QString& path, const QSize& expected)
{
    QFile file(path);
    qint32 size[2] = {};
    if (!file.open(QIODevice::ReadOnly) ||
        file.read(reinterpret_cast<char*>(size), sizeof size) != sizeof size ||
        QSize(size[0], size[1]) != expected)
        return {};
    QImage image(expected, BackgroundFormat);
    if (file.read(reinterpret_cast<char*>(image.bits()), image.sizeInBytes()) !=
            image.sizeInBytes() ||
        !file.atEnd())
        return {};
    return image;
}
} // namespace

MainWindow::MainWindow(QWidget* parent) : QWidget(parent), ui(SetUpUi<Ui::MainWindow>(this))
{
    connect(ui->cmdExam, &QPushButton::clicked, this, &MainWindow::OpenExam);
    connect(ui->cmdPractice, &QPushButton::clicked, this, &MainWindow::OpenPractice);
    connect(ui->cmdLinks, &QPushButton::clicked, this, &MainWindow::OpenLinks);
    connect(ui->cmdQuit, &QPushButton::clicked, this, &MainWindow::Quit);
    connect(ui->cmdStudy, &QPushButton::clicked, this, &MainWindow::OpenStudyRecord);
    connect(ui->cmdReview, &QPushButton::clicked, this, &MainWindow::OpenReview);
    // A first run, or a bank no longer listed, leaves the list asking for a choice. Chosen
    // before the list is watched: the forecast waits until the window is up.
    ui->cboBank->setCurrentIndex(
        ui->cboBank->findText(AppSettings().value(LastBankKey).toString()));
    connect(ui->cboBank, &QComboBox::currentIndexChanged, this, &MainWindow::BankChanged);
    ui->lblForecast->setToolTip(ForecastToolTip);
    connect(ui->cmdTopics, &QPushButton::clicked, this, &MainWindow::OpenTopics);
    connect(ui->cmdSearch, &QPushButton::clicked, this, &MainWindow::OpenSearch);
    connect(new QShortcut(QKeySequence::Find, this), &QShortcut::activated, ui->cmdSearch,
            &QPushButton::click);
    ui->cmdSearch->setToolTip(QStringLiteral("在题目、选项和解释中查找：Ctrl+F"));
    connect(ui->lblPublisher, &ClickLabel::clicked, this, &MainWindow::OpenPublisherSite);
}

MainWindow::~MainWindow() = default;

void MainWindow::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    ShowBackground();
}

// The size the learner left the window at is likely the size it opens at next time.
void MainWindow::closeEvent(QCloseEvent* event)
{
    QWidget::closeEvent(event);
    if (backgroundUnkept)
        KeepBackground();
}

// One file, the picture on display. A cache: a failure only means drawing it again next time.
void MainWindow::KeepBackground()
{
    backgroundUnkept = false;
    const QString path = BackgroundCachePath();
    QDir folder = QFileInfo(path).dir();
    folder.mkpath(QStringLiteral("."));
    // Those of an earlier drawing are of no more use.
    for (const QString& old : folder.entryList({QStringLiteral("background-*")}, QDir::Files)) {
        if (old != QFileInfo(path).fileName())
            folder.remove(old);
    }
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && WriteRawImage(file, shownBackground))
        file.commit();
}

void MainWindow::ShowBackground()
{
    const qreal ratio = devicePixelRatioF();
    const QSize pixels = size() * ratio;
    if (shownBackground.size() != pixels) {
        const bool first = shownBackground.isNull();
        const QImage kept = first ? ReadRawImage(BackgroundCachePath(), pixels) : QImage();
        if (!kept.isNull()) {
            shownBackground = kept;
        } else {
            shownBackground = RenderBackground(pixels);
            backgroundUnkept = true;
            // Kept at once for the size a start opens at: the program may end without a close.
            if (first)
                KeepBackground();
        }
    }
    QPixmap picture = QPixmap::fromImage(shownBackground);
    picture.setDevicePixelRatio(ratio);
    ui->lblBackground->setPixmap(picture);
}

QImage MainWindow::RenderBackground(const QSize& pixels)
{
    if (!background)
        background = new QSvgRenderer(BackgroundPicture, this);
    QImage picture(pixels, BackgroundFormat);
    picture.fill(Qt::white);
    // Cover the window, cutting the overflow evenly from both sides.
    const QSizeF drawn =
        QSizeF(background->defaultSize()).scaled(pixels, Qt::KeepAspectRatioByExpanding);
    const QPointF corner((pixels.width() - drawn.width()) / 2,
                         (pixels.height() - drawn.height()) / 2);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    background->render(&painter, QRectF(corner, drawn));
    return picture;
}

void MainWindow::SelectBank()
{
    BankFile.clear();
    if (ui->cboBank->currentText() == BeijingEntry)
        BankFile = BeijingFile;
}

bool MainWindow::BankChosen()
{
    SelectBank();
    if (BankFile.isEmpty()) {
        Notice(this, QStringLiteral("请先选择题库"));
        return false;
    }
    AppSettings().setValue(LastBankKey, ui->cboBank->currentText());
    return true;
}

template <typename W> void MainWindow::OpenQuestionWindow()
{
    if (BankChosen())
        ShowIndependent(new W());
}

void MainWindow::OpenExam()
{
    OpenQuestionWindow<ExamWindow>();
}

void MainWindow::OpenPractice()
{
    OpenQuestionWindow<PracticeWindow>();
}

void MainWindow::OpenLinks()
{
    ShowIndependent(new LinksWindow());
}

void MainWindow::Quit()
{
    close();
}

void MainWindow::OpenStudyRecord()
{
    OpenQuestionWindow<StudyWindow>();
}

void MainWindow::OpenReview()
{
    if (!BankChosen())
        return;
    auto* review = new PracticeWindow();
    review->ReviewToday(TodaysReviewList());
    ShowIndependent(review);
}

void MainWindow::BankChanged()
{
    ShowForecast();
}

void MainWindow::ShowForecast()
{
    SelectBank();
    ui->lblForecast->clear();
    if (BankFile.isEmpty())
        return;
    ReadChosenBank();
    const StudyStore& store = Study();
    if (!store.IsRecording())
        return;
    const auto answers = AnswersByQuestion(store.Database(), BankFile);
    const double now = LocalDays(QDateTime::currentDateTime());
    const auto forecast = GuidanceFor(BankFile, exam, chapterOrder, answers, now).forecast;
    ui->lblForecast->setText(
        ForecastLabelText(forecast, exam, FinishedExams(store.Database(), BankFile)));
}

// A bank that cannot be read whole is told of once, not at every return to this window, and
// forecasts nothing.
void MainWindow::ReadChosenBank()
{
    if (examBank == BankFile)
        return;
    examBank = BankFile;
    ::Cipher cipher;
    const auto bank = LoadChosenBank(this, cipher);
    exam = bank ? ExamOf(*bank) : ExamShape{};
    chapterOrder = bank ? ChapterOrder(*bank) : QStringList();
}

ReviewList MainWindow::TodaysReviewList()
{
    ReadChosenBank();
    return TodaysReviewFor(BankFile, exam, chapterOrder, PracticeWindow::NewPerDay());
}

void MainWindow::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        ShowForecast();
}

void MainWindow::OpenTopics()
{
    OpenQuestionWindow<TopicsWindow>();
}

void MainWindow::OpenSearch()
{
    OpenQuestionWindow<SearchWindow>();
}

void MainWindow::OpenPublisherSite()
{
    OpenLink(this, ui->lblPublisher->text());
}
