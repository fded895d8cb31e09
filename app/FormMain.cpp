#include "app/FormMain.h"

#include "common/Platform.h"
#include "common/SetUpUi.h"
#include "exam/FormEx.h"
#include "links/FormNet.h"
#include "practice/FormLen.h"
#include "progress/FormStudy.h"
#include "ui_FormMain.h"

#include <QDir>
#include <QFileInfo>
#include <QPainter>
#include <QResource>
#include <QSaveFile>
#include <QStandardPaths>
#include <QSvgRenderer>

namespace
{
const QString BeijingEntry = QStringLiteral("北京");
const QString BeijingFile = QStringLiteral("beijing.dat");
const QString BackgroundPicture = QStringLiteral(":/app/background.svg");
// The bank list's entry the learner opened a window with last.
const QString LastBankKey = QStringLiteral("lastBank");

// The background as last shown, kept between runs: drawing it from its SVG costs more than the
// rest of the main window's start, reading it back costs little. Named after the drawing, so
// that a changed drawing is never mistaken for the kept one.
QString BackgroundCachePath()
{
    const QByteArray drawing = QResource(BackgroundPicture).uncompressedData();
    return QDir(QStandardPaths::writableLocation(QStandardPaths::CacheLocation))
        .filePath(QStringLiteral("background-%1.bmp").arg(qHash(drawing), 0, 16));
}
} // namespace

FormMain::FormMain(QWidget* parent) : QWidget(parent), ui(SetUpUi<Ui::FormMain>(this))
{
    connect(ui->Command1, &QPushButton::clicked, this, &FormMain::Command1_Click);
    connect(ui->Command2, &QPushButton::clicked, this, &FormMain::Command2_Click);
    connect(ui->Command4, &QPushButton::clicked, this, &FormMain::Command4_Click);
    connect(ui->Command5, &QPushButton::clicked, this, &FormMain::Command5_Click);
    connect(ui->cmdStudy, &QPushButton::clicked, this, &FormMain::cmdStudy_Click);
    connect(ui->Label3, &ClickLabel::clicked, this, &FormMain::Label3_Click);
    // A first run, or a bank no longer listed, leaves the list asking for a choice.
    ui->cbl->setCurrentIndex(ui->cbl->findText(AppSettings().value(LastBankKey).toString()));
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
    QDir().mkpath(QFileInfo(path).path());
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && shownBackground.save(&file, "BMP"))
        file.commit();
}

void FormMain::ShowBackground()
{
    const qreal ratio = devicePixelRatioF();
    const QSize pixels = size() * ratio;
    if (shownBackground.size() != pixels) {
        const bool first = shownBackground.isNull();
        QImage kept;
        if (first && kept.load(BackgroundCachePath(), "BMP") && kept.size() == pixels) {
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
    QImage picture(pixels, QImage::Format_RGB32);
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

template <typename W> void FormMain::OpenQuestionWindow()
{
    SelectBank();
    if (BankFile.isEmpty()) {
        Notice(this, QStringLiteral("请先选择题库"));
        return;
    }
    AppSettings().setValue(LastBankKey, ui->cbl->currentText());
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

void FormMain::Label3_Click()
{
    OpenLink(this, ui->Label3->text());
}
