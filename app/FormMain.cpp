#include "app/FormMain.h"

#include "common/Platform.h"
#include "common/SetUpUi.h"
#include "common/Study.h"
#include "bank/BankLoader.h"
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
#include <QEvent>
#include <QPainter>
#include <QShortcut>
#include <QSvgRenderer>

namespace {
const QString BeijingEntry = QStringLiteral("北京");
const QString BeijingFile = QStringLiteral("beijing.dat");
const QString BackgroundPicture = QStringLiteral(":/app/background.svg");
} // namespace

FormMain::FormMain(QWidget* parent)
    : QWidget(parent), ui(SetUpUi<Ui::FormMain>(this)),
      // Read once: a resize only draws it again at the new size.
      background(new QSvgRenderer(BackgroundPicture, this))
{
    connect(ui->Command1, &QPushButton::clicked, this, &FormMain::Command1_Click);
    connect(ui->Command2, &QPushButton::clicked, this, &FormMain::Command2_Click);
    connect(ui->Command4, &QPushButton::clicked, this, &FormMain::Command4_Click);
    connect(ui->Command5, &QPushButton::clicked, this, &FormMain::Command5_Click);
    connect(ui->cmdStudy, &QPushButton::clicked, this, &FormMain::cmdStudy_Click);
    connect(ui->cmdReview, &QPushButton::clicked, this, &FormMain::cmdReview_Click);
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

void FormMain::ShowBackground()
{
    const qreal ratio = devicePixelRatioF();
    const QSize pixels = size() * ratio;
    QPixmap picture(pixels);
    picture.fill(Qt::white);
    // Cover the window, cutting the overflow evenly from both sides.
    const QSizeF drawn = QSizeF(background->defaultSize()).scaled(pixels, Qt::KeepAspectRatioByExpanding);
    const QPointF corner((pixels.width() - drawn.width()) / 2, (pixels.height() - drawn.height()) / 2);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    background->render(&painter, QRectF(corner, drawn));
    painter.end();
    picture.setDevicePixelRatio(ratio);
    ui->Image1->setPixmap(picture);
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
        ::Cipher cipher;
        exam = ExamOf(LoadBank(BankPath(), cipher));
        examBank = BankFile;
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
