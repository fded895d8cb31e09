#include "progress/StudyWindow.h"

#include "bank/Cipher.h"
#include "common/ChosenBank.h"
#include "common/Platform.h"
#include "common/SetUpUi.h"
#include "common/Study.h"
#include "exam/ExamRules.h"
#include "practice/PracticeWindow.h"
#include "progress/PassForecast.h"
#include "progress/ScoreChart.h"
#include "study/StudyStore.h"
#include "ui_StudyWindow.h"

#include <QCategoryAxis>
#include <QChart>
#include <QDateEdit>
#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineSeries>
#include <QProgressBar>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QSqlDriver>
#include <QValueAxis>
#include <algorithm>
#include <numeric>

namespace
{
const QString NoRecordText = QStringLiteral(
    "还没有学习记录。\n做几道章节练习或一次模拟考试后，这里会显示各章的进度、考试成绩和错题本。");
const QString NotRecordingText = QStringLiteral("学习记录不可用，本次运行的练习和考试不会记录。");
const QString MissedCaption = QStringLiteral("常错题");
const QString FavouritesCaption = QStringLiteral("收藏练习");
constexpr int TextStartLength = 30;
// The plan projects the learner to the test day (tens of milliseconds): while the learner answers
// with the window open, it waits for a pause this long.
constexpr int PlanAfterMilliseconds = 1500;
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
constexpr int ExamRowsMeasured = 20;
// The tables of the record that the window shows.
const QStringList RecordTables = {QStringLiteral("attempts"), QStringLiteral("exams"),
                                  QStringLiteral("wrong_book"), QStringLiteral("favourites")};

enum ChapterColumn { Title, Questions, Attempted, LatestRight, Wrong, Progress };
enum ExamColumn { Finished, Score, Verdict, TimeUsed };
enum MissedColumn {
    MissedChapter,
    MissedPosition,
    MissedText,
    TimesWrong,
    TimesRight,
    TimesLooked,
    Latest
};

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

QString LatestText(MissedQuestion::Latest latest)
{
    switch (latest) {
    case MissedQuestion::Latest::Right:
        return QStringLiteral("对");
    case MissedQuestion::Latest::Look:
        return QStringLiteral("看答案");
    case MissedQuestion::Latest::Wrong:
        break;
    }
    return QStringLiteral("错");
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
} // namespace

StudyWindow::StudyWindow(QWidget* parent) : QWidget(parent), ui(SetUpUi<Ui::StudyWindow>(this))
{
    connect(ui->cmdWrong, &QPushButton::clicked, this, &StudyWindow::PractiseWrongBook);
    connect(ui->cmdClear, &QPushButton::clicked, this, &StudyWindow::ClearRecord);
    connect(ui->cmdMissed, &QPushButton::clicked, this, &StudyWindow::PractiseMissed);
    connect(ui->cmdFavourites, &QPushButton::clicked, this, &StudyWindow::PractiseFavourites);
    connect(ui->tblMissed, &QTableWidget::cellActivated, this, &StudyWindow::PractiseMissedFrom);
    connect(ui->dateExam, &QDateEdit::dateChanged, this, &StudyWindow::TestDateChosen);
    SetUpTables();
}

StudyWindow::~StudyWindow() = default;

void StudyWindow::SetUpTables()
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
    // Every row has the same shape: measuring a thousand exams' rows made opening take seconds.
    ui->tblExams->horizontalHeader()->setResizeContentsPrecision(ExamRowsMeasured);
    ui->tblExams->horizontalHeader()->setStretchLastSection(true);
    ui->tblMissed->verticalHeader()->setDefaultSectionSize(ChapterRowHeight);
    ui->tblMissed->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    ui->tblMissed->horizontalHeader()->setSectionResizeMode(MissedText, QHeaderView::Stretch);
    ui->tblMissed->setToolTip(QStringLiteral("双击一题即从这一题练起"));
    SetUpChart();
    ScrollRecord();
    ReadData();
    FollowTheRecord(); // the record itself is read when the window is shown
}

// On a small screen the record scrolls rather than pushing the window past the screen's edge.
void StudyWindow::ScrollRecord()
{
    recordScroll = new QScrollArea(this);
    recordScroll->setFrameShape(QFrame::NoFrame);
    recordScroll->setWidgetResizable(true);
    recordScroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    delete ui->layoutWindow->replaceWidget(ui->areaRecord, recordScroll);
    recordScroll->setWidget(ui->areaRecord);
}

void StudyWindow::FollowTheRecord()
{
    planDue.setSingleShot(true);
    planDue.setInterval(PlanAfterMilliseconds);
    connect(&planDue, &QTimer::timeout, this, &StudyWindow::ShowPlan);
    recordChanged.setSingleShot(true);
    connect(&recordChanged, &QTimer::timeout, this, &StudyWindow::ShowRecord);
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

void StudyWindow::SetUpChart()
{
    auto* chart = new QChart();
    scores = new QLineSeries(chart);
    scores->setName(QStringLiteral("得分"));
    scores->setPointsVisible(true);
    scores->setMarkerSize(PointSize);
    passLine = new QLineSeries(chart);
    passLine->setName(QStringLiteral("合格线 %1 分").arg(PassScore));
    passLine->setPen(QPen(QColor(192, 0, 0), 1.5, Qt::DashLine));
    // In percent, on the scores' scale: a forecast of 90 % sits where a score of 90 would.
    forecasts = new QLineSeries(chart);
    forecasts->setName(QStringLiteral("通过把握（%）"));
    forecasts->setPen(QPen(QColor(0, 128, 64), 1.5));
    chart->addSeries(passLine);
    chart->addSeries(scores);
    chart->addSeries(forecasts);
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
    for (QLineSeries* series : {passLine, scores, forecasts}) {
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

void StudyWindow::ReadData()
{
    ::Cipher cipher;
    const auto bank = LoadChosenBank(this, cipher);
    if (!bank)
        return;
    for (const NumberedQuestion& question : NumberQuestions(bank->records)) {
        chapterOf.insert(question.id, question.chapter);
        questions.insert(question.id, question);
    }
    examShape = ExamOf(*bank);
    chapterOrder = ChapterOrder(*bank);
    ShowTestDate();
}

// The day before today stands for no date (未设定): a test cannot be in the past.
void StudyWindow::ShowTestDate()
{
    const QDate today = QDate::currentDate();
    QSignalBlocker quiet(ui->dateExam);
    ui->dateExam->setDateRange(today.addDays(-1), today.addYears(1));
    ui->dateExam->setDate(TestDate(BankFile).value_or(ui->dateExam->minimumDate()));
}

void StudyWindow::TestDateChosen(QDate date)
{
    SetTestDate(BankFile,
                date == ui->dateExam->minimumDate() ? std::nullopt : std::optional<QDate>(date));
    ShowPlan();
}

void StudyWindow::ShowRecord()
{
    const StudyStore& store = Study();
    if (!store.IsRecording()) {
        ShowFavourites({});
        ShowNoRecord(NotRecordingText);
        return;
    }
    const QSqlDatabase db = store.Database();
    shownVersion = VersionOf(db);
    shownDay = QDate::currentDate();
    // Marks need no answers: they count even before there is a record to show.
    ShowFavourites(Favourites(db, BankFile));
    const QHash<QString, QList<TimedAnswer>> answers = AnswersByQuestion(db, BankFile);
    const QHash<QString, bool> latest = LatestAnswers(answers);
    const QList<FinishedExam> exams = FinishedExams(db, BankFile);
    wrongBook = WrongBook(db, BankFile);
    const double now = LocalDays(QDateTime::currentDateTime());
    guidance = GuidanceFor(BankFile, examShape, chapterOrder, answers, now);
    shownExams = exams;
    // Worked out at once the first time; while answers come in, after a pause in them.
    if (plan)
        planDue.start();
    else
        ShowPlan();
    if (latest.isEmpty() && exams.isEmpty()) {
        ShowNoRecord(NoRecordText);
        return;
    }
    ui->lblEmpty->hide();
    ui->areaRecord->show();
    recordScroll->show();
    ui->cmdClear->setEnabled(true);
    const auto book = BookPerChapter(chapterOf, wrongBook);
    ShowChapters(TallyProgress(chapterOf, latest), book);
    const int bookSize = std::accumulate(book.begin(), book.end(), 0);
    ui->lblWrong->setText(QStringLiteral("错题本：共 %1 题").arg(bookSize));
    ui->cmdWrong->setEnabled(bookSize > 0);
    ShowExams(exams);
    ShowForecast(answers, exams, now);
    ShowMissed(MostMissed(db, BankFile));
}

void StudyWindow::ShowPlan()
{
    if (!guidance)
        return;
    planDue.stop();
    plan = PlanOf(*guidance, BankFile, LocalDays(QDateTime::currentDateTime()),
                  PracticeWindow::NewPerDay());
    ui->lblPlan->setText(PlanText(*plan));
    ShowForecastLabel();
}

void StudyWindow::ShowForecastLabel()
{
    ui->lblForecast->setText(
        ForecastLabelText(guidance->forecast, examShape, shownExams,
                          plan ? PlanForecastText(*plan, examShape) : QString()));
}

// Now on its label with what the plan promises for the test day, and over time beside the scores.
void StudyWindow::ShowForecast(const QHash<QString, QList<TimedAnswer>>& answers,
                               const QList<FinishedExam>& exams, double now)
{
    const auto& forecast = guidance->forecast;
    const MemoryWeights& weights = guidance->learner.weights;
    ShowForecastLabel();
    ui->lblForecast->setToolTip(ForecastToolTip);
    // Today's answers move only today's point, which is the forecast now; the past is worked out
    // again when its answers or the day's weights change, with the shift the answers show then.
    const QHash<QString, QList<TimedAnswer>> settled = AnswersBefore(answers, CalendarDay(now));
    if (settled != historyAnswers || weights != historyWeights) {
        history =
            ForecastHistory(examShape, settled, weights, guidance->learner.memoryOffset.shift);
        historyAnswers = settled;
        historyWeights = weights;
    }
    QList<ForecastPoint> points = history;
    if (forecast)
        points.append({now, forecast->chance});
    ShowChart(exams, points);
}

void StudyWindow::ShowNoRecord(const QString& text)
{
    wrongBook.clear();
    missedRows.clear();
    ui->lblEmpty->setText(text);
    ui->lblEmpty->show();
    ui->areaRecord->hide();
    recordScroll->hide();
    ui->lblWrong->setText(QStringLiteral("错题本：共 0 题"));
    ui->cmdWrong->setEnabled(false);
    ui->cmdClear->setEnabled(false);
}

void StudyWindow::ShowChapters(const PerChapter& progress,
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

void StudyWindow::ShowChapterRow(int row, const QString& title, const ChapterProgress& progress,
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

void StudyWindow::ShowExams(const QList<FinishedExam>& exams)
{
    ui->lblNoExams->setVisible(exams.isEmpty());
    ui->tblExams->setVisible(!exams.isEmpty());
    QTableWidget* table = ui->tblExams;
    // Columns that fit their contents are measured again after every cell set; with a thousand
    // exams that took most of the window's opening. Filled with fixed columns, measured once.
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    table->setRowCount(static_cast<int>(exams.size()));
    // The latest exam on top.
    for (int row = 0; row < exams.size(); ++row) {
        const FinishedExam& exam = exams[exams.size() - 1 - row];
        table->setItem(row, Finished, Cell(exam.finished.toString(DateTimeFormat)));
        table->setItem(row, Score, NumberCell(exam.score));
        QTableWidgetItem* verdict = Cell(VerdictText(exam.score));
        verdict->setForeground(VerdictColour(exam.score));
        table->setItem(row, Verdict, verdict);
        table->setItem(row, TimeUsed, Cell(TimeUsedText(exam.secondsUsed)));
    }
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
}

void StudyWindow::ShowChart(const QList<FinishedExam>& exams, const QList<ForecastPoint>& history)
{
    QList<QDate> days;
    for (const FinishedExam& exam : exams)
        days.append(exam.finished.date());
    QList<QDate> forecastDays;
    for (const ForecastPoint& point : history)
        forecastDays.append(FromLocalDays(point.day).date());
    for (const QString& label : dayAxis->categoriesLabels())
        dayAxis->remove(label);
    ui->chartScores->setVisible(!days.isEmpty() || !forecastDays.isEmpty());
    // The axis runs from the first day with an exam or a forecast to the last such day.
    const QList<QDate> allDays = days + forecastDays;
    if (allDays.isEmpty()) {
        scores->clear();
        forecasts->clear();
        return;
    }
    const auto [firstDay, lastOfAll] = std::minmax_element(allDays.begin(), allDays.end());
    const QDate first = *firstDay;
    const double examShift = days.isEmpty() ? 0 : first.daysTo(days.first());
    const QList<double> positions = ExamPositions(days);
    QList<QPointF> points;
    for (int i = 0; i < exams.size(); ++i)
        points.append(QPointF(examShift + positions[i], exams[i].score));
    scores->replace(points);
    QList<QPointF> chances;
    for (int i = 0; i < history.size(); ++i)
        chances.append(QPointF(first.daysTo(forecastDays[i]), history[i].chance * MaximumScore));
    forecasts->replace(chances);
    const int lastDay = static_cast<int>(first.daysTo(*lastOfAll));
    const double left = -DayMargin;
    const double right = lastDay + DayMargin;
    passLine->replace({QPointF(left, PassScore), QPointF(right, PassScore)});
    const bool withYear = first.year() != lastOfAll->year();
    const int step = DayLabelStep(lastDay, MostDayLabels);
    dayAxis->setStartValue(left);
    for (int day = 0; day <= lastDay; day += step)
        dayAxis->append(DayLabel(first.addDays(day), withYear), day);
    dayAxis->setRange(left, right);
}

void StudyWindow::ShowFavourites(const QStringList& marked)
{
    favourites.clear();
    for (const QString& id : marked) {
        if (questions.contains(id))
            favourites.append(id);
    }
    ui->lblFavourites->setText(QStringLiteral("收藏 %1 题").arg(favourites.size()));
    ui->cmdFavourites->setEnabled(!favourites.isEmpty());
}

// The first MissedShown of them that the bank still has.
void StudyWindow::ShowMissed(const QList<MissedQuestion>& missed)
{
    missedRows.clear();
    QTableWidget* table = ui->tblMissed;
    table->setRowCount(0);
    for (const MissedQuestion& question : missed) {
        const auto found = questions.constFind(question.questionId);
        if (found == questions.cend())
            continue;
        const int row = static_cast<int>(missedRows.size());
        missedRows.append(question.questionId);
        table->insertRow(row);
        table->setItem(row, MissedChapter,
                       Cell(ChapterTitle(QString::number(found->chapter)), Qt::AlignLeft));
        table->setItem(row, MissedPosition, NumberCell(found->position));
        table->setItem(row, MissedText, Cell(TextStart(*found), Qt::AlignLeft));
        table->setItem(row, TimesWrong, NumberCell(question.wrong));
        table->setItem(row, TimesRight, NumberCell(question.right));
        table->setItem(row, TimesLooked, NumberCell(question.looks));
        table->setItem(row, Latest, Cell(LatestText(question.latest)));
        if (missedRows.size() == MissedShown)
            break;
    }
    ui->tabRecords->setTabVisible(ui->tabRecords->indexOf(ui->frameMissed), !missedRows.isEmpty());
    ui->cmdMissed->setEnabled(!missedRows.isEmpty());
}

// The first line of the question as the learner reads it, cut short.
QString StudyWindow::TextStart(const NumberedQuestion& question)
{
    const QString field = Record::FieldAt(question.record, Record::QuestionText).toString();
    const QString text = Record::ProtectedText(field, cipher).value_or(QString());
    const QString line = text.section(Record::LineBreak, 0, 0);
    return line.size() > TextStartLength ? line.left(TextStartLength) + QStringLiteral("…") : line;
}

void StudyWindow::PractiseMissed()
{
    PractiseMissedFrom(0);
}

// The missed questions, opened at the one chosen; the others follow it, wrapping around.
void StudyWindow::PractiseMissedFrom(int row)
{
    if (row < 0 || row >= missedRows.size())
        return;
    auto* practice = new PracticeWindow();
    practice->PracticeQuestions(missedRows, MissedCaption, missedRows[row]);
    ShowIndependent(practice);
}

void StudyWindow::PractiseFavourites()
{
    auto* practice = new PracticeWindow();
    practice->PracticeQuestions(favourites, FavouritesCaption);
    ShowIndependent(practice);
}

void StudyWindow::PractiseWrongBook()
{
    auto* practice = new PracticeWindow();
    practice->PracticeQuestions(wrongBook, QStringLiteral("错题练习"));
    ShowIndependent(practice);
}

void StudyWindow::ClearRecord()
{
    if (!Confirm(this,
                 QStringLiteral("确定要清除本题库的全部学习记录吗？\n"
                                "练习记录、考试成绩和错题本都将删除，且无法恢复。"),
                 QStringLiteral("清除")))
        return;
    Study().Clear(BankFile);
    ShowRecord();
}

void StudyWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    ShowRecord();
}

void StudyWindow::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && RecordMayHaveChanged())
        ShowRecord();
}

// A window just shown is activated at once: without this it read a large record twice.
bool StudyWindow::RecordMayHaveChanged() const
{
    const StudyStore& store = Study();
    return !store.IsRecording() || VersionOf(store.Database()) != shownVersion ||
           QDate::currentDate() != shownDay;
}
