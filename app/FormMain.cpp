#include "app/FormMain.h"

#include "common/ChosenBank.h"
#include "common/Platform.h"
#include "common/SetUpUi.h"
#include "common/Study.h"
#include "bank/Cipher.h"
#include "exam/FormEx.h"
#include "links/FormNet.h"
#include "practice/FormLen.h"
#include "progress/FormStudy.h"
#include "progress/PassForecast.h"
#include "study/StudyQueries.h"
#include "study/StudyStore.h"
#include "search/FormSearch.h"
#include "topics/FormTopics.h"
#include "ui_FormMain.h"

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

FormMain::FormMain(QWidget* parent) : QWidget(parent), ui(SetUpUi<Ui::FormMain>(this))
{
    connect(ui->Command1, &QPushButton::clicked, this, &FormMain::Command1_Click);
    connect(ui->Command2, &QPushButton::clicked, this, &FormMain::Command2_Click);
    connect(ui->Command4, &QPushButton::clicked, this, &FormMain::Command4_Click);
    connect(ui->Command5, &QPushButton::clicked, this, &FormMain::Command5_Click);
    connect(ui->cmdStudy, &QPushButton::clicked, this, &FormMain::cmdStudy_Click);
    connect(ui->cmdReview, &QPushButton::clicked, this, &FormMain::cmdReview_Click);
    // A first run, or a bank no longer listed, leaves the list asking for a choice. Chosen
    // before the list is watched: the forecast waits until the window is up.
    ui->cbl->setCurrentIndex(ui->cbl->findText(AppSettings().value(LastBankKey).toString()));
    connect(ui->cbl, &QComboBox::currentIndexChanged, this, &FormMain::cbl_Change);
    ui->lblForecast->setToolTip(ForecastToolTip);
    connect(ui->cmdTopics, &QPushButton::clicked, this, &FormMain::cmdTopics_Click);
    connect(ui->cmdSearch, &QPushButton::clicked, this, &FormMain::cmdSearch_Click);
    connect(new QShortcut(QKeySequence::Find, this), &QShortcut::activated, ui->cmdSearch,
            &QPushButton::click);
    ui->cmdSearch->setToolTip(QStringLiteral("在题目、选项和解释中查找：Ctrl+F"));
    connect(ui->Label3, &ClickLabel::clicked, this, &FormMain::Label3_Click);
}

FormMain::~FormMain() = default;

void FormMain::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    ShowBackground();
}

// The size the learner left the window at is likely the size it opens at next time.
void FormMain::closeEvent(QCloseEvent* event)
{
    QWidget::closeEvent(event);
    if (backgroundUnkept)
        KeepBackground();
}

// One file, the picture on display. A cache: a failure only means drawing it again next time.
void FormMain::KeepBackground()
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

void FormMain::ShowBackground()
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
    ui->Image1->setPixmap(picture);
}

QImage FormMain::RenderBackground(const QSize& pixels)
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

void FormMain::SelectBank()
{
    BankFile.clear();
    if (ui->cbl->currentText() == BeijingEntry)
        BankFile = BeijingFile;
}

bool FormMain::BankChosen()
{
    SelectBank();
    if (BankFile.isEmpty()) {
        Notice(this, QStringLiteral("请先选择题库"));
        return false;
    }
    AppSettings().setValue(LastBankKey, ui->cbl->currentText());
    return true;
}

template <typename W> void FormMain::OpenQuestionWindow()
{
    if (BankChosen())
        ShowIndependent(new W());
}

void FormMain::Command1_Click()
{
    OpenQuestionWindow<FormEx>();
}

void FormMain::Command2_Click()
{
    OpenQuestionWindow<FormLen>();
}

void FormMain::Command4_Click()
{
    ShowIndependent(new FormNet());
}

void FormMain::Command5_Click()
{
    close();
}

void FormMain::cmdStudy_Click()
{
    OpenQuestionWindow<FormStudy>();
}

void FormMain::cmdReview_Click()
{
    if (!BankChosen())
        return;
    auto* review = new FormLen();
    review->ReviewToday();
    ShowIndependent(review);
}

void FormMain::cbl_Change()
{
    ShowForecast();
}

void FormMain::ShowForecast()
{
    SelectBank();
    ui->lblForecast->clear();
    if (BankFile.isEmpty())
        return;
    if (examBank != BankFile) {
        // Read once per bank chosen: a bank that cannot be read whole is told of once, not at
        // every return to this window, and forecasts nothing.
        examBank = BankFile;
        ::Cipher cipher;
        const auto bank = LoadChosenBank(this, cipher);
        exam = bank ? ExamOf(*bank) : ExamShape{};
    }
    const StudyStore& store = Study();
    if (!store.IsRecording())
        return;
    const Memories memories = ReplayEach(AnswersByQuestion(store.Database(), BankFile));
    ui->lblForecast->setText(
        ForecastText(ForecastAt(exam, memories, LocalDays(QDateTime::currentDateTime()))));
}

void FormMain::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        ShowForecast();
}

void FormMain::cmdTopics_Click()
{
    OpenQuestionWindow<FormTopics>();
}

void FormMain::cmdSearch_Click()
{
    OpenQuestionWindow<FormSearch>();
}

void FormMain::Label3_Click()
{
    OpenLink(this, ui->Label3->text());
}
