#include "practice/PracticeWindow.h"

#include "bank/BankLoader.h"
#include "common/ChosenBank.h"
#include "common/FavouriteMark.h"
#include "common/Platform.h"
#include "common/QuestionKeys.h"
#include "common/SetUpUi.h"
#include "common/Stepping.h"
#include "common/Study.h"
#include "common/TextZoom.h"
#include "study/StudyQueries.h"
#include "study/StudyStore.h"
#include "ui_PracticeWindow.h"

#include <QDateTime>
#include <QHash>
#include <QSettings>

namespace
{
const QString NewPerDayKey = QStringLiteral("review/newPerDay");
constexpr int AutomaticNewPerDay = -1; // the spin box's 自动
// Long enough to read two characters, short enough to be gone before the next answer.
constexpr int RightNoteMilliseconds = 1500;

bool IsChapterIndex(int index)
{
    return index >= 0 && index < Record::ChapterCount;
}

// Where a bank's chapter practice stopped last: the chapter (list index) and the question.
QString ChapterKey()
{
    return QStringLiteral("practice/%1/chapter").arg(BankFile);
}

QString QuestionKey()
{
    return QStringLiteral("practice/%1/question").arg(BankFile);
}
} // namespace

QString ChapterTitle(const QString& number)
{
    static const QStringList titles = {
        QStringLiteral("北京道路交通状况"),
        QStringLiteral("道路交通安全法规概述"),
        QStringLiteral("驾驶证和机动车管理"),
        QStringLiteral("交通信号"),
        QStringLiteral("道路通行规定"),
        QStringLiteral("道路交通事故处理"),
        QStringLiteral("法律责任"),
        QStringLiteral("交通道德"),
        QStringLiteral("安全驾驶常识及相关知识"),
        QStringLiteral("05年补充题"),
    };
    for (int k = Record::FirstChapter; k < Record::FirstChapter + Record::ChapterCount; ++k) {
        if (number == QString::number(k))
            return titles[k - Record::FirstChapter];
    }
    return {};
}

PracticeWindow::PracticeWindow(QWidget* parent)
    : QWidget(parent), ui(SetUpUi<Ui::PracticeWindow>(this)),
      panel(ui->txtQuestion, ui->txtEncoded, {ui->optA, ui->optB, ui->optC}, ui->lblPicture,
            ui->txtExplain)
{
    ui->txtEncoded->hide();
    ui->lblPicture->hide();
    ui->lblDone->hide();
    // The note keeps its room while hidden, so the options do not move when it comes and goes.
    QSizePolicy keepRoom = ui->lblRightNote->sizePolicy();
    keepRoom.setRetainSizeWhenHidden(true);
    ui->lblRightNote->setSizePolicy(keepRoom);
    HideRightNote();
    rightNote.setSingleShot(true);
    rightNote.setInterval(RightNoteMilliseconds);
    connect(&rightNote, &QTimer::timeout, this, &PracticeWindow::HideRightNote);
    new TextZoom(this, {ui->txtQuestion, ui->txtExplain, ui->optA, ui->optB, ui->optC});
    new QuestionKeys(this, {ui->optA, ui->optB, ui->optC}, ui->cmdNext, ui->cmdPrevious);
    new FavouriteMark(this, ui->chkFavourite, panel);
    connect(ui->cboChapter, &QComboBox::activated, this, &PracticeWindow::ChapterChosen);
    connect(ui->cmdStart, &QPushButton::clicked, this, &PracticeWindow::StartPractice);
    connect(ui->cmdResume, &QPushButton::clicked, this, &PracticeWindow::ResumePractice);
    connect(ui->cmdNext, &QPushButton::clicked, this, &PracticeWindow::NextQuestion);
    connect(ui->cmdPrevious, &QPushButton::clicked, this, &PracticeWindow::PreviousQuestion);
    ui->cboChapter->setFocus(); // arrows choose a chapter, Tab reaches the start button
    LoadChapters();
}

PracticeWindow::~PracticeWindow()
{
    Study().Checkpoint();
}

void PracticeWindow::LoadChapters()
{
    position = 1;
    for (int k = Record::FirstChapter; k < Record::FirstChapter + Record::ChapterCount; ++k) {
        ui->cboChapter->addItem(ChapterTitle(QString::number(k)));
        chapterSizes[k - Record::FirstChapter] = 0;
    }
    ui->cboChapter->setCurrentIndex(-1);
    ReadData();
    OfferResume();
}

void PracticeWindow::ReadData()
{
    const auto bank = LoadChosenBank(this, cipher);
    if (!bank)
        return;
    for (const BankRecord& record : bank->records) {
        const auto chapter = Record::ChapterNumber(Record::FieldAt(record.text, Record::Chapter));
        if (!chapter)
            continue;
        const int index = *chapter - Record::FirstChapter;
        ++chapterSizes[index];
        chapterPools[index].Add(Record::PoolKey(chapterSizes[index]), record.text);
    }
}

void PracticeWindow::ChapterChosen()
{
    const int chapter = ui->cboChapter->currentIndex();
    if (!IsChapterIndex(chapter))
        return;
    ui->txtTotal->setText(CountText(chapterSizes[chapter]));
    // Nothing of the chapter left behind until the start: no position, question or picture.
    ui->txtPosition->clear();
    panel.ShowNothing();
    panel.ClearSelection();
    ClearRevealedAnswer();
    HideRightNote();
    SetDoneLine({});
    SetSteppingEnabled(false);
    ui->cmdResume->setVisible(false);
    OfferResume();
}

void PracticeWindow::StartPractice()
{
    const int chapter = ui->cboChapter->currentIndex();
    if (!IsChapterIndex(chapter)) {
        Notice(this, QStringLiteral("请您先选择要练习的章节"), MsgIcon::None);
        return;
    }
    Begin();
}

void PracticeWindow::ResumePractice()
{
    Begin(AppSettings().value(QuestionKey()).toInt());
}

// A start begins the questions afresh at position `first` (question 1 but when going on from where
// the last practice stopped): the choice on display is not judged.
void PracticeWindow::Begin(int first)
{
    ui->txtPosition->setText(PositionText(first));
    // Without questions there is nothing to step through.
    SetSteppingEnabled(ChapterSize() > 0);
    position = first;
    run.Reset();
    SetDoneLine({});
    HideRightNote();
    ui->cmdResume->setVisible(false);
    ShowQuestion(first, PoolIndex());
    RememberPosition();
    // Off the start button, so that Space can no longer start the run again by accident.
    ui->txtQuestion->setFocus();
}

bool PracticeWindow::GotoQuestion(int n, int chapter)
{
    if (panel.IsOnDisplay()) {
        const QString chosen = panel.ChosenLetter();
        const bool right = chosen == panel.RightAnswer();
        run.Judge(position, right);
        RecordFirstTry(chosen, right);
        if (!right) {
            Reveal(chosen);
            return false;
        }
        ShowRightNote();
    }
    ShowQuestion(n, chapter);
    return true;
}

void PracticeWindow::ShowQuestion(int n, int chapter)
{
    panel.ClearSelection();
    ClearRevealedAnswer();
    untried.clear();
    const OrderedDict* pool = PoolAt(chapter);
    const QString record = pool ? pool->Item(Record::PoolKey(n)) : QString();
    if (record.isEmpty()) {
        panel.ShowNothing();
        return;
    }
    const QStringList fields = Record::Split(record);
    panel.Show(fields, cipher, fields[Record::Kind] == Record::ChoiceKind);
    untried = fields;
}

void PracticeWindow::NextQuestion()
{
    const bool fromTheLast = position == ChapterSize();
    if (MoveTo(NextPosition(position, ChapterSize())) && fromTheLast)
        ShowChapterDone();
}

void PracticeWindow::PreviousQuestion()
{
    MoveTo(PreviousPosition(position, ChapterSize()));
}

// A move happens only when the choice on display is right; otherwise position stays.
bool PracticeWindow::MoveTo(int target)
{
    // Judged against the question on display: position still names it.
    if (!GotoQuestion(target, PoolIndex()))
        return false;
    position = target;
    ui->txtPosition->setText(PositionText(target));
    SetDoneLine({});
    RememberPosition();
    return true;
}

int PracticeWindow::ChapterSize() const
{
    const OrderedDict* pool = PoolAt(PoolIndex());
    return pool ? static_cast<int>(pool->Count()) : 0;
}

void PracticeWindow::SetSteppingEnabled(bool enabled)
{
    ui->cmdNext->setEnabled(enabled);
    ui->cmdPrevious->setEnabled(enabled);
}

// The right answer as the learner knows it: the letter, or 对/错 for a true/false question.
QString PracticeWindow::RevealedAnswer() const
{
    return panel.CaptionOf(panel.RightAnswer());
}

void PracticeWindow::Reveal(const QString& chosen)
{
    HideRightNote();
    ui->lblAnswer->setText(RevealedAnswer());
    panel.ShowVerdict(chosen);
    panel.RevealExplanation();
}

// Said beside the options, and gone by itself: the learner is already on the next question.
void PracticeWindow::ShowRightNote()
{
    ui->lblRightNote->show();
    rightNote.start();
}

void PracticeWindow::HideRightNote()
{
    rightNote.stop();
    ui->lblRightNote->hide();
}

void PracticeWindow::ClearRevealedAnswer()
{
    ui->lblAnswer->clear();
    panel.HideExplanation();
}

// Said in the window, not in a box: the learner goes straight on with the next round.
void PracticeWindow::ShowChapterDone()
{
    if (review) {
        SetDoneLine(ReviewDoneText());
        return;
    }
    SetDoneLine(QStringLiteral("%1 %2 题已全部练完，本轮第一次就答对 %3 题。")
                    .arg(listPractice ? windowTitle() : QStringLiteral("本章"))
                    .arg(ChapterSize())
                    .arg(run.RightAtFirstTry()));
    // The next round counts afresh.
    run.Reset();
}

// An empty line takes no room under the question.
void PracticeWindow::SetDoneLine(const QString& text)
{
    ui->lblDone->setText(text);
    ui->lblDone->setVisible(!text.isEmpty());
}

void PracticeWindow::PracticeQuestions(const QStringList& ids, const QString& caption,
                                       const QString& first)
{
    listPractice = true;
    setWindowTitle(caption);
    ui->lblChapter->hide();
    ui->cboChapter->hide();
    ui->cmdStart->hide();
    FileList(ids);
    ui->txtTotal->setText(CountText(static_cast<int>(listPool.Count())));
    Begin(qMax(1, ListPosition(first)));
}

int PracticeWindow::ListPosition(const QString& id) const
{
    for (int n = 1; n <= listPool.Count(); ++n) {
        if (Record::FieldAt(listPool.Item(Record::PoolKey(n)), Record::Id) == id)
            return n;
    }
    return 0;
}

void PracticeWindow::ReviewToday(const ReviewList& list)
{
    review.emplace(list);
    PracticeQuestions(list.again + list.due + list.fresh, QStringLiteral("今日复习"));
    ui->lblReviewCounts->show();
    ShowReviewCounts();
    ui->spnNewPerDay->setValue(NewPerDay().value_or(AutomaticNewPerDay));
    connect(ui->spnNewPerDay, &QSpinBox::valueChanged, this, &PracticeWindow::SetNewPerDay);
    ui->areaNewPerDay->show();
    if (list.again.isEmpty() && list.due.isEmpty() && list.fresh.isEmpty())
        ShowChapterDone();
}

std::optional<int> PracticeWindow::NewPerDay()
{
    const int count = AppSettings().value(NewPerDayKey, AutomaticNewPerDay).toInt();
    return count < 0 ? std::nullopt : std::optional<int>(count);
}

void PracticeWindow::SetNewPerDay(int count)
{
    AppSettings().setValue(NewPerDayKey, std::max(count, AutomaticNewPerDay));
}

// The chapters in order, each in the bank's order: the order chapter practice goes through.
QStringList PracticeWindow::BankOrder() const
{
    QStringList ids;
    for (const OrderedDict& pool : chapterPools) {
        for (const QString& key : pool.Keys())
            ids.append(Record::FieldAt(pool.Item(key), Record::Id).toString());
    }
    return ids;
}

void PracticeWindow::ShowReviewCounts()
{
    ui->lblReviewCounts->setText(QStringLiteral("错题 %1 题 · 到期 %2 题 · 新题 %3 题")
                                     .arg(review->Again())
                                     .arg(review->Due())
                                     .arg(review->Fresh()));
}

// Read afresh: the answers just given decide when the next question falls due.
QString PracticeWindow::ReviewDoneText() const
{
    const StudyStore& store = Study();
    if (!store.IsRecording())
        return QStringLiteral("今日复习已完成。");
    const double now = LocalDays(QDateTime::currentDateTime());
    const std::optional<double> next =
        NextDue(BankOrder(), ReplayEach(AnswersByQuestion(store.Database(), BankFile)), now);
    if (!next)
        return QStringLiteral("今日复习已完成。");
    return QStringLiteral("今日复习已完成，下一题在 %1 到期").arg(DueText(*next, now));
}

// The records of ids in their order, found in the chapter pools; ids the bank lacks are left out.
void PracticeWindow::FileList(const QStringList& ids)
{
    QHash<QString, QString> byId;
    for (const OrderedDict& pool : chapterPools) {
        for (const QString& key : pool.Keys()) {
            const QString record = pool.Item(key);
            byId.insert(Record::FieldAt(record, Record::Id).toString(), record);
        }
    }
    int n = 0;
    for (const QString& id : ids) {
        if (byId.contains(id))
            listPool.Add(Record::PoolKey(++n), byId.value(id));
    }
}

const OrderedDict* PracticeWindow::PoolAt(int index) const
{
    if (index == ListPoolIndex)
        return &listPool;
    return IsChapterIndex(index) ? &chapterPools[index] : nullptr;
}

int PracticeWindow::PoolIndex() const
{
    return listPractice ? ListPoolIndex : ui->cboChapter->currentIndex();
}

// The first judgement of a question on display is the learner's attempt, or their look at its
// answer; tries after the right answer was revealed are not.
void PracticeWindow::RecordFirstTry(const QString& chosen, bool right)
{
    if (untried.isEmpty())
        return;
    // Moving on without a choice shows the answer: a look, not an answer.
    if (chosen == QuestionPanel::NoChoice)
        Study().PracticeLooked(BankFile, AnswerTo(untried, chosen, right));
    else
        Study().PracticeAnswered(BankFile, AnswerTo(untried, chosen, right));
    if (review) {
        review->Answered(Record::FieldOf(untried, Record::Id));
        ShowReviewCounts();
    }
    untried.clear();
}

// Chapter practice only: a list of questions is made afresh each time.
void PracticeWindow::RememberPosition() const
{
    if (listPractice || !IsChapterIndex(PoolIndex()))
        return;
    QSettings settings = AppSettings();
    settings.setValue(ChapterKey(), PoolIndex());
    settings.setValue(QuestionKey(), position);
}

// The chapter practised last is chosen again; where its practice stopped past question 1, the
// learner may go on there instead of starting over.
void PracticeWindow::OfferResume()
{
    const QSettings settings = AppSettings();
    const QVariant chapter = settings.value(ChapterKey());
    const int question = settings.value(QuestionKey()).toInt();
    if (listPractice || !chapter.isValid() || !IsChapterIndex(chapter.toInt()))
        return;
    if (ui->cboChapter->currentIndex() == -1) {
        ui->cboChapter->setCurrentIndex(chapter.toInt());
        ui->txtTotal->setText(CountText(chapterSizes[chapter.toInt()]));
    }
    const bool there = ui->cboChapter->currentIndex() == chapter.toInt();
    const bool resumable = question > 1 && question <= chapterSizes[chapter.toInt()];
    if (!there || !resumable)
        return;
    ui->cmdResume->setText(QStringLiteral("继续上次：第 %1 题").arg(question));
    ui->cmdResume->show();
}
