#include "progress/FormStudy.h"

#include "bank/BankLoader.h"
#include "bank/Cipher.h"
#include "common/Platform.h"
#include "common/SetUpUi.h"
#include "common/Study.h"
#include "exam/ExamRules.h"
#include "practice/FormLen.h"
#include "progress/ScoreChart.h"
#include "study/StudyStore.h"
#include "ui_FormStudy.h"

#include <QCategoryAxis>
#include <QChart>
#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineSeries>
#include <QProgressBar>
#include <QScrollArea>
#include <QSqlDriver>
#include <QValueAxis>
#include <numeric>

namespace
{
const QString NoRecordText = QStringLiteral(
    "还没有学习记录。\n做几道章节练习或一次模拟考试后，这里会显示各章的进度、考试成绩和错题本。");
const QString NotRecordingText = QStringLiteral("学习记录不可用，本次运行的练习和考试不会记录。");
const QString DateTimeFormat = QStringLiteral("yyyy-MM-dd HH:mm");
constexpr int MaximumScore = ExamQuestions;
constexpr int ScoreTickStep = 20;
// Room beyond the first and last day and the lowest and highest score, so that no point is cut
// at the chart's edge.
constexpr double DayMargin = 0.5;
constexpr double ScoreMargin = 4;
constexpr qreal PointSize = 8;
constexpr int MostDayLabels = 7;
constexpr int ChapterRowHeight = 24;
// The tables of the record that the window shows.
const QStringList RecordTables = {QStringLiteral("attempts"), QStringLiteral("exams"),
                                  QStringLiteral("wrong_book"), QStringLiteral("favourites")};

enum ChapterColumn { Title, Questions, Attempted, LatestRight, Wrong, Progress };
enum ExamColumn { Finished, Score, Verdict, TimeUsed };

QTableWidgetItem* Cell(const QString& text, Qt::Alignment alignment = Qt::AlignCenter)
{
    auto* item = new QTableWidgetItem(text);
    item->setTextAlignment(alignment | Qt::AlignVCenter);
    return item;
}

QTableWidgetItem* NumberCell(int n)
{
    return Cell(QString::number(n));
}

// The bar shows no text of its own: across the edge of its fill the figure would be in two
// colours at once. The figure stands beside it in the cell.
void ShowProgressCell(QTableWidget* table, int row, int column, int done, int of)
{
    QWidget* cell = table->cellWidget(row, column);
    if (!cell) {
        cell = new QWidget();
        auto* layout = new QHBoxLayout(cell);
        layout->setContentsMargins(4, 2, 4, 2);
        auto* bar = new QProgressBar();
        bar->setTextVisible(false);
        layout->addWidget(bar, 1);
        auto* figure = new QLabel();
        figure->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        figure->setMinimumWidth(figure->fontMetrics().horizontalAdvance(QStringLiteral("100%")));
        layout->addWidget(figure);
        table->setCellWidget(row, column, cell);
    }
    auto* bar = cell->findChild<QProgressBar*>();
    // A range of 0 to 0 would show a busy bar; an empty chapter shows an empty one.
    bar->setRange(0, qMax(1, of));
    bar->setValue(done);
    cell->findChild<QLabel*>()->setText(QStringLiteral("%1%").arg(done * 100 / qMax(1, of)));
}

QString TimeUsedText(int seconds)
{
    return QStringLiteral("%1分%2秒").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
}
} // namespace

FormStudy::FormStudy(QWidget* parent) : QWidget(parent), ui(SetUpUi<Ui::FormStudy>(this))
{
    connect(ui->cmdWrong, &QPushButton::clicked, this, &FormStudy::cmdWrong_Click);
    connect(ui->cmdClear, &QPushButton::clicked, this, &FormStudy::cmdClear_Click);
    Form_Load();
}

FormStudy::~FormStudy() = default;

void FormStudy::Form_Load()
{
    QTableWidget* chapters = ui->tblChapters;
    chapters->setRowCount(Record::ChapterCount + 1);
    // Every chapter and the total in sight at once.
    chapters->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    chapters->verticalHeader()->setDefaultSectionSize(ChapterRowHeight);
    chapters->setMinimumHeight(chapters->horizontalHeader()->sizeHint().height() +
                               chapters->rowCount() * ChapterRowHeight +
                               2 * chapters->frameWidth());
    chapters->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    chapters->horizontalHeader()->setSectionResizeMode(Progress, QHeaderView::Stretch);
    ui->tblExams->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    ui->tblExams->horizontalHeader()->setStretchLastSection(true);
    SetUpChart();
    ScrollRecord();
    ReadData();
    FollowTheRecord(); // the record itself is read when the window is shown
}

// On a small screen the record scrolls rather than pushing the window past the screen's edge.
void FormStudy::ScrollRecord()
{
    recordScroll = new QScrollArea(this);
    recordScroll->setFrameShape(QFrame::NoFrame);
    recordScroll->setWidgetResizable(true);
    recordScroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    delete ui->layoutWindow->replaceWidget(ui->areaRecord, recordScroll);
    recordScroll->setWidget(ui->areaRecord);
}

void FormStudy::FollowTheRecord()
{
    recordChanged.setSingleShot(true);
    connect(&recordChanged, &QTimer::timeout, this, &FormStudy::ShowRecord);
    const StudyStore& store = Study();
    if (!store.IsRecording())
        return;
    // The store's one connection tells of every row this program changes; the windows share it,
    // so a table already followed by another study window stays followed.
    QSqlDriver* driver = store.Database().driver();
    for (const QString& table : RecordTables) {
        if (!driver->subscribedToNotifications().contains(table))
            driver->subscribeToNotification(table);
    }
    connect(driver, &QSqlDriver::notification, &recordChanged, qOverload<>(&QTimer::start));
}

void FormStudy::SetUpChart()
{
    auto* chart = new QChart();
    scores = new QLineSeries(chart);
    scores->setName(QStringLiteral("得分"));
    scores->setPointsVisible(true);
    scores->setMarkerSize(PointSize);
    passLine = new QLineSeries(chart);
    passLine->setName(QStringLiteral("合格线 %1 分").arg(PassScore));
    passLine->setPen(QPen(QColor(192, 0, 0), 1.5, Qt::DashLine));
    chart->addSeries(passLine);
    chart->addSeries(scores);
    dayAxis = new QCategoryAxis(chart);
    // Each day's label stands at its day, where its exams are.
    dayAxis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    auto* scoreAxis = new QValueAxis(chart);
    scoreAxis->setRange(-ScoreMargin, MaximumScore + ScoreMargin);
    scoreAxis->setTickType(QValueAxis::TicksDynamic);
    scoreAxis->setTickAnchor(0);
    scoreAxis->setTickInterval(ScoreTickStep);
    scoreAxis->setLabelFormat(QStringLiteral("%d"));
    chart->addAxis(dayAxis, Qt::AlignBottom);
    chart->addAxis(scoreAxis, Qt::AlignLeft);
    for (QLineSeries* series : {passLine, scores}) {
        series->attachAxis(dayAxis);
        series->attachAxis(scoreAxis);
    }
    chart->legend()->setAlignment(Qt::AlignBottom);
    chart->setMargins(QMargins(4, 4, 4, 4));
    QChart* placeholder = ui->chartScores->chart();
    ui->chartScores->setChart(chart);
    delete placeholder;
    ui->chartScores->setRenderHint(QPainter::Antialiasing);
}

void FormStudy::ReadData()
{
    ::Cipher cipher;
    const LoadedBank bank = LoadBank(BankPath(), cipher);
    if (!bank.found) {
        Notice(this, MissingBankText);
        return;
    }
    for (const BankRecord& record : bank.records) {
        const auto chapter = Record::ChapterNumber(Record::FieldAt(record.text, Record::Chapter));
        if (chapter)
            mchapters.insert(Record::FieldAt(record.text, Record::Id).toString(), *chapter);
    }
}

void FormStudy::ShowRecord()
{
    const StudyStore& store = Study();
    if (!store.IsRecording()) {
        ShowNoRecord(NotRecordingText);
        return;
    }
    const QSqlDatabase db = store.Database();
    const QHash<QString, bool> latest = LatestAnswers(db, BankFile);
    const QList<FinishedExam> exams = FinishedExams(db, BankFile);
    mbook = WrongBook(db, BankFile);
    if (latest.isEmpty() && exams.isEmpty()) {
        ShowNoRecord(NoRecordText);
        return;
    }
    ui->lblEmpty->hide();
    ui->areaRecord->show();
    recordScroll->show();
    ui->cmdClear->setEnabled(true);
    const auto book = BookPerChapter(mchapters, mbook);
    ShowChapters(TallyProgress(mchapters, latest), book);
    const int bookSize = std::accumulate(book.begin(), book.end(), 0);
    ui->lblWrong->setText(QStringLiteral("错题本：共 %1 题").arg(bookSize));
    ui->cmdWrong->setEnabled(bookSize > 0);
    ShowExams(exams);
}

void FormStudy::ShowNoRecord(const QString& text)
{
    mbook.clear();
    ui->lblEmpty->setText(text);
    ui->lblEmpty->show();
    ui->areaRecord->hide();
    recordScroll->hide();
    ui->lblWrong->setText(QStringLiteral("错题本：共 0 题"));
    ui->cmdWrong->setEnabled(false);
    ui->cmdClear->setEnabled(false);
}

void FormStudy::ShowChapters(const PerChapter& progress,
                             const std::array<int, Record::ChapterCount>& book)
{
    for (int i = 0; i < Record::ChapterCount; ++i)
        ShowChapterRow(i, ChapterTitle(QString::number(Record::FirstChapter + i)), progress[i],
                       book[i]);
    const int totalRow = Record::ChapterCount;
    ShowChapterRow(totalRow, QStringLiteral("合计"), Total(progress),
                   std::accumulate(book.begin(), book.end(), 0));
    for (int column = Title; column < Progress; ++column) {
        QTableWidgetItem* item = ui->tblChapters->item(totalRow, column);
        QFont bold = item->font();
        bold.setBold(true);
        item->setFont(bold);
    }
}

void FormStudy::ShowChapterRow(int row, const QString& title, const ChapterProgress& progress,
                               int book)
{
    QTableWidget* table = ui->tblChapters;
    table->setItem(row, Title, Cell(title, Qt::AlignLeft));
    table->setItem(row, Questions, NumberCell(progress.questions));
    table->setItem(row, Attempted, NumberCell(progress.attempted));
    table->setItem(row, LatestRight, NumberCell(progress.latestRight));
    table->setItem(row, Wrong, NumberCell(book));
    ShowProgressCell(table, row, Progress, progress.attempted, progress.questions);
}

void FormStudy::ShowExams(const QList<FinishedExam>& exams)
{
    ui->lblNoExams->setVisible(exams.isEmpty());
    ui->tblExams->setVisible(!exams.isEmpty());
    ui->chartScores->setVisible(!exams.isEmpty());
    QTableWidget* table = ui->tblExams;
    table->setRowCount(static_cast<int>(exams.size()));
    // The latest exam on top.
    for (int row = 0; row < exams.size(); ++row) {
        const FinishedExam& exam = exams[exams.size() - 1 - row];
        table->setItem(row, Finished, Cell(exam.finished.toString(DateTimeFormat)));
        table->setItem(row, Score, NumberCell(exam.score));
        table->setItem(row, Verdict, Cell(VerdictText(exam.score)));
        table->setItem(row, TimeUsed, Cell(TimeUsedText(exam.secondsUsed)));
    }
    ShowChart(exams);
}

void FormStudy::ShowChart(const QList<FinishedExam>& exams)
{
    QList<QDate> days;
    for (const FinishedExam& exam : exams)
        days.append(exam.finished.date());
    const QList<double> positions = ExamPositions(days);
    QList<QPointF> points;
    for (int i = 0; i < exams.size(); ++i)
        points.append(QPointF(positions[i], exams[i].score));
    scores->replace(points);
    for (const QString& label : dayAxis->categoriesLabels())
        dayAxis->remove(label);
    if (days.isEmpty())
        return;
    const int lastDay = static_cast<int>(days.first().daysTo(days.last()));
    const double left = -DayMargin;
    const double right = lastDay + DayMargin;
    passLine->replace({QPointF(left, PassScore), QPointF(right, PassScore)});
    const bool withYear = days.first().year() != days.last().year();
    const int step = DayLabelStep(lastDay, MostDayLabels);
    dayAxis->setStartValue(left);
    for (int day = 0; day <= lastDay; day += step)
        dayAxis->append(DayLabel(days.first().addDays(day), withYear), day);
    dayAxis->setRange(left, right);
}

void FormStudy::cmdWrong_Click()
{
    auto* practice = new FormLen();
    practice->PracticeQuestions(mbook, QStringLiteral("错题练习"));
    ShowIndependent(practice);
}

void FormStudy::cmdClear_Click()
{
    if (!Confirm(this,
                 QStringLiteral("确定要清除本题库的全部学习记录吗？\n"
                                "练习记录、考试成绩和错题本都将删除，且无法恢复。"),
                 QStringLiteral("清除")))
        return;
    Study().Clear(BankFile);
    ShowRecord();
}

void FormStudy::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    ShowRecord();
}

void FormStudy::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        ShowRecord();
}
