#include "practice/FormLen.h"

#include "common/ChosenBank.h"
#include "bank/BankLoader.h"
#include "common/Platform.h"
#include "common/FavouriteMark.h"
#include "common/QuestionKeys.h"
#include "common/SetUpUi.h"
#include "common/Stepping.h"
#include "common/Study.h"
#include "common/TextZoom.h"
#include "study/StudyQueries.h"
#include "study/StudyStore.h"
#include "ui_FormLen.h"

#include <QDateTime>
#include <QHash>
#include <QSettings>

namespace
{
const QString NewPerDayKey = QStringLiteral("review/newPerDay");
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

FormLen::FormLen(QWidget* parent)
    : QWidget(parent), ui(SetUpUi<Ui::FormLen>(this)),
      panel(ui->txt, ui->t, {ui->op_0, ui->op_1, ui->op_2}, ui->img, ui->txtExplain)
{
    ui->t->hide();
    ui->img->hide();
    ui->lblDone->hide();
    // The note keeps its room while hidden, so the options do not move when it comes and goes.
    QSizePolicy keepRoom = ui->lblRight->sizePolicy();
    keepRoom.setRetainSizeWhenHidden(true);
    ui->lblRight->setSizePolicy(keepRoom);
    HideRightNote();
    rightNote.setSingleShot(true);
    rightNote.setInterval(RightNoteMilliseconds);
    connect(&rightNote, &QTimer::timeout, this, &FormLen::HideRightNote);
    new TextZoom(this, {ui->txt, ui->txtExplain, ui->op_0, ui->op_1, ui->op_2});
    new QuestionKeys(this, {ui->op_0, ui->op_1, ui->op_2}, ui->Command1, ui->Command2);
    new FavouriteMark(this, ui->chkFavourite, panel);
    connect(ui->cbl, &QComboBox::activated, this, &FormLen::cbl_Click);
    connect(ui->cmdStart, &QPushButton::clicked, this, &FormLen::cmdStart_Click);
    connect(ui->cmdResume, &QPushButton::clicked, this, &FormLen::cmdResume_Click);
    connect(ui->Command1, &QPushButton::clicked, this, &FormLen::Command1_Click);
    connect(ui->Command2, &QPushButton::clicked, this, &FormLen::Command2_Click);
    ui->cbl->setFocus(); // arrows choose a chapter, Tab reaches the start button
    Form_Load();
}

FormLen::~FormLen()
{
    Study().Checkpoint();
}

void FormLen::Form_Load()
{
    mts = 1;
    for (int k = Record::FirstChapter; k < Record::FirstChapter + Record::ChapterCount; ++k) {
        ui->cbl->addItem(ChapterTitle(QString::number(k)));
        maryzs[k - Record::FirstChapter] = 0;
    }
    ui->cbl->setCurrentIndex(-1);
    ReadData();
    OfferResume();
}

void FormLen::ReadData()
{
    const auto bank = LoadChosenBank(this, Cipher);
    if (!bank)
        return;
    for (const BankRecord& record : bank->records) {
        const auto chapter = Record::ChapterNumber(Record::FieldAt(record.text, Record::Chapter));
        if (!chapter)
            continue;
        const int index = *chapter - Record::FirstChapter;
        ++maryzs[index];
        mdictzj[index].Add(Record::PoolKey(maryzs[index]), record.text);
    }
}

void FormLen::cbl_Click()
{
    const int chapter = ui->cbl->currentIndex();
    if (!IsChapterIndex(chapter))
        return;
    ui->txtzs->setText(CountText(maryzs[chapter]));
    // Nothing of the chapter left behind until the start: no position, question or picture.
    ui->txtts->clear();
    panel.ShowNothing();
    panel.ClearSelection();
    ClearRevealedAnswer();
    HideRightNote();
    SetDoneLine({});
    SetSteppingEnabled(false);
    ui->cmdResume->setVisible(false);
    OfferResume();
}

void FormLen::cmdStart_Click()
{
    const int chapter = ui->cbl->currentIndex();
    if (!IsChapterIndex(chapter)) {
        Notice(this, QStringLiteral("请您先选择要练习的章节"), MsgIcon::None);
        return;
    }
    Begin();
}

void FormLen::cmdResume_Click()
{
    Begin(AppSettings().value(QuestionKey()).toInt());
}

// A start begins the questions afresh at position (question 1 but when going on from where the
// last practice stopped): the choice on display is not judged.
void FormLen::Begin(int position)
{
    ui->txtts->setText(PositionText(position));
    // Without questions there is nothing to step through.
    SetSteppingEnabled(ChapterSize() > 0);
    mts = position;
    run.Reset();
    SetDoneLine({});
    HideRightNote();
    ui->cmdResume->setVisible(false);
    ShowQuestion(position, PoolIndex());
    RememberPosition();
    // Off the start button, so that Space can no longer start the run again by accident.
    ui->txt->setFocus();
}

bool FormLen::GotoQuestion(int n, int chapter)
{
    if (panel.IsOnDisplay()) {
        const QString chosen = panel.ChosenLetter();
        const bool right = chosen == panel.RightAnswer();
        run.Judge(mts, right);
        if (chosen == QuestionPanel::NoChoice)
            untried.clear(); // a look at the answer is no attempt, and what follows no first try
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

void FormLen::ShowQuestion(int n, int chapter)
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
    panel.Show(fields, Cipher, fields[Record::Kind] == Record::ChoiceKind);
    untried = fields;
}

void FormLen::Command1_Click()
{
    const bool fromTheLast = mts == ChapterSize();
    if (MoveTo(NextPosition(mts, ChapterSize())) && fromTheLast)
        ShowChapterDone();
}

void FormLen::Command2_Click()
{
    MoveTo(PreviousPosition(mts, ChapterSize()));
}

// A move happens only when the choice on display is right; otherwise mts stays.
bool FormLen::MoveTo(int position)
{
    // Judged against the position on display, which mts still names.
    if (!GotoQuestion(position, PoolIndex()))
        return false;
    mts = position;
    ui->txtts->setText(PositionText(mts));
    SetDoneLine({});
    RememberPosition();
    return true;
}

int FormLen::ChapterSize() const
{
    const OrderedDict* pool = PoolAt(PoolIndex());
    return pool ? static_cast<int>(pool->Count()) : 0;
}

void FormLen::SetSteppingEnabled(bool enabled)
{
    ui->Command1->setEnabled(enabled);
    ui->Command2->setEnabled(enabled);
}

// The right answer as the learner knows it: the letter, or 对/错 for a true/false question.
QString FormLen::RevealedAnswer() const
{
    return panel.CaptionOf(panel.RightAnswer());
}

void FormLen::Reveal(const QString& chosen)
{
    HideRightNote();
    ui->lbl->setText(RevealedAnswer());
    panel.ShowVerdict(chosen);
    panel.RevealExplanation();
}

// Said beside the options, and gone by itself: the learner is already on the next question.
void FormLen::ShowRightNote()
{
    ui->lblRight->show();
    rightNote.start();
}

void FormLen::HideRightNote()
{
    rightNote.stop();
    ui->lblRight->hide();
}

void FormLen::ClearRevealedAnswer()
{
    ui->lbl->clear();
    panel.HideExplanation();
}

// Said in the window, not in a box: the learner goes straight on with the next round.
void FormLen::ShowChapterDone()
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
void FormLen::SetDoneLine(const QString& text)
{
    ui->lblDone->setText(text);
    ui->lblDone->setVisible(!text.isEmpty());
}

void FormLen::PracticeQuestions(const QStringList& ids, const QString& caption,
                                const QString& first)
{
    listPractice = true;
    setWindowTitle(caption);
    ui->Label1->hide();
    ui->cbl->hide();
    ui->cmdStart->hide();
    FileList(ids);
    ui->txtzs->setText(CountText(static_cast<int>(mdictlist.Count())));
    Begin(qMax(1, ListPosition(first)));
}

int FormLen::ListPosition(const QString& id) const
{
    for (int n = 1; n <= mdictlist.Count(); ++n) {
        if (Record::FieldAt(mdictlist.Item(Record::PoolKey(n)), Record::Id) == id)
            return n;
    }
    return 0;
}

void FormLen::ReviewToday()
{
    const StudyStore& store = Study();
    const Memories memories = store.IsRecording()
                                  ? ReplayEach(AnswersByQuestion(store.Database(), BankFile))
                                  : Memories();
    const ReviewList list =
        TodaysReview(BankOrder(), memories, LocalDays(QDateTime::currentDateTime()), NewPerDay());
    review.emplace(list);
    PracticeQuestions(list.due + list.fresh, QStringLiteral("今日复习"));
    ui->lblReviewCounts->show();
    ShowReviewCounts();
    ui->spnNewPerDay->setValue(NewPerDay());
    connect(ui->spnNewPerDay, &QSpinBox::valueChanged, this, &FormLen::SetNewPerDay);
    ui->areaNewPerDay->show();
    if (list.due.isEmpty() && list.fresh.isEmpty())
        ShowChapterDone();
}

int FormLen::NewPerDay()
{
    return qMax(0, AppSettings().value(NewPerDayKey, DefaultNewPerDay).toInt());
}

void FormLen::SetNewPerDay(int count)
{
    AppSettings().setValue(NewPerDayKey, count);
}

// The chapters in order, each in the bank's order: the order chapter practice goes through.
QStringList FormLen::BankOrder() const
{
    QStringList ids;
    for (const OrderedDict& pool : mdictzj) {
        for (const QString& key : pool.Keys())
            ids.append(Record::FieldAt(pool.Item(key), Record::Id).toString());
    }
    return ids;
}

void FormLen::ShowReviewCounts()
{
    ui->lblReviewCounts->setText(
        QStringLiteral("到期 %1 题 · 新题 %2 题").arg(review->Due()).arg(review->Fresh()));
}

// Read afresh: the answers just given decide when the next question falls due.
QString FormLen::ReviewDoneText() const
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
void FormLen::FileList(const QStringList& ids)
{
    QHash<QString, QString> byId;
    for (const OrderedDict& pool : mdictzj) {
        for (const QString& key : pool.Keys()) {
            const QString record = pool.Item(key);
            byId.insert(Record::FieldAt(record, Record::Id).toString(), record);
        }
    }
    int n = 0;
    for (const QString& id : ids) {
        if (byId.contains(id))
            mdictlist.Add(Record::PoolKey(++n), byId.value(id));
    }
}

const OrderedDict* FormLen::PoolAt(int index) const
{
    if (index == ListPool)
        return &mdictlist;
    return IsChapterIndex(index) ? &mdictzj[index] : nullptr;
}

int FormLen::PoolIndex() const
{
    return listPractice ? ListPool : ui->cbl->currentIndex();
}

// The first judgement of a question on display is the learner's attempt; tries after the right
// answer was revealed are not.
void FormLen::RecordFirstTry(const QString& chosen, bool right)
{
    if (untried.isEmpty())
        return;
    Study().PracticeAnswered(BankFile, AnswerTo(untried, chosen, right));
    if (review) {
        review->Answered(Record::FieldOf(untried, Record::Id));
        ShowReviewCounts();
    }
    untried.clear();
}

// Chapter practice only: a list of questions is made afresh each time.
void FormLen::RememberPosition() const
{
    if (listPractice || !IsChapterIndex(PoolIndex()))
        return;
    QSettings settings = AppSettings();
    settings.setValue(ChapterKey(), PoolIndex());
    settings.setValue(QuestionKey(), mts);
}

// The chapter practised last is chosen again; where its practice stopped past question 1, the
// learner may go on there instead of starting over.
void FormLen::OfferResume()
{
    const QSettings settings = AppSettings();
    const QVariant chapter = settings.value(ChapterKey());
    const int question = settings.value(QuestionKey()).toInt();
    if (listPractice || !chapter.isValid() || !IsChapterIndex(chapter.toInt()))
        return;
    if (ui->cbl->currentIndex() == -1) {
        ui->cbl->setCurrentIndex(chapter.toInt());
        ui->txtzs->setText(CountText(maryzs[chapter.toInt()]));
    }
    const bool there = ui->cbl->currentIndex() == chapter.toInt();
    const bool resumable = question > 1 && question <= maryzs[chapter.toInt()];
    if (!there || !resumable)
        return;
    ui->cmdResume->setText(QStringLiteral("继续上次：第 %1 题").arg(question));
    ui->cmdResume->show();
}
