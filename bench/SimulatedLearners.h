#pragma once

// Simulated learners for judging the program's study guidance: each knows its own chance of
// answering every question right at every moment, so the pass chance the forecast tries to tell
// is known exactly. None of them forgets the way the program's model (FSRS-6) assumes, so a
// guidance that only works for FSRS-shaped memories shows it here.
//
// exponential: recall falls as exp(-elapsed / strength); a right answer multiplies the strength
// the more the lower recall had fallen, a wrong one halves it. Every question has a difficulty,
// every learner a learning rate and a fixed logit offset per question (its quirks). What is not
// recalled falls back to knowledge from everyday driving plus guessing. Differs from FSRS in the
// shape of the curve (exponential, not a power law) and in having a floor.
//
// two-trace: recall = 1 - (1 - fast)(1 - slow). Reading the right answer fills a fast trace
// that is gone within hours; the slow trace grows and lasts longer only by as much as the fast
// one had faded, so answers on the same day add almost nothing and only spaced ones build lasting
// memory. Some questions are known before any study (10-50 % by learner, the easy ones more
// often), some learnt for good at first reading (quick learners), and pairs of similar questions
// interfere: learning one weakens the other's slow trace until both are well learnt. The answer
// is a guess (1/3 choice, 1/2 true/false) when not recalled, and a recalled one slips 2-5 % of
// the time. Unlike FSRS: two phases of forgetting, recall below 1 right after an answer, no
// gain from same-day repetition, prior and permanent knowledge, questions that are not
// independent, a floor and a ceiling.
//
// power-law: ACT-R's declarative memory with the spacing effect. Every exposure leaves a trace
// decaying as age^-d; activation is the log of their sum plus the question's and learner's
// ease, recall a logistic function of it, and a trace's decay d grows with the activation at the
// time it was laid down, so massed exposures fade fast. A guessing floor as above. Unlike FSRS:
// memory is the whole history of exposures, not one stability; right and wrong answers count
// alike (the right answer is seen either way); there is no prior knowledge.
//
// Each family has quick, average and slow learners (their parameters by kind, spread within a
// kind), and its own study habits: days off, answers a day, one or two sessions at plausible
// hours, mock exams. Times are local days, as the program counts them (LocalDays).

#include "study/Forecast.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>
#include <optional>
#include <random>
#include <vector>

using Random = std::mt19937_64;

// What a learner's random numbers are for. Each purpose draws from its own stream, so that
// changing the order of study changes nothing but the answers.
enum class Stream : std::uint64_t { Parameters = 1, Schedule, Order, Answers, ExamDraws };
Random StreamOf(std::uint64_t seed, Stream purpose);

enum class QuestionKind { Choice, TrueFalse };

struct SimQuestion {
    QString id; // "01-001": chapter and number, as the bank's ids
    QuestionKind kind = QuestionKind::Choice;
    double difficulty = 0; // standard normal: every family reads it its own way
    int rival = -1;        // the question it is easily confused with; -1: none
};

// The bank in the shape of the Beijing bank: ten chapters, each half choice and half true/false
// (mixed in the chapter), and its mock exam, 50 of each kind, 90 of 100 to pass.
struct SimBank {
    std::vector<SimQuestion> questions;
    QStringList ids;            // in the bank's order
    std::vector<int> choice;    // the choice questions' places in the bank
    std::vector<int> trueFalse; // the true/false questions' places
    ExamShape exam;
};
SimBank MakeSimBank(std::uint64_t seed);

// The chance of a right answer by guessing alone.
double GuessChance(QuestionKind kind);

struct ExamAnswer {
    int question = 0;
    bool right = false;
};

struct ExamSitting {
    double end = 0; // when the result was shown: when the program records every answer
    QList<ExamAnswer> answers;
};

// A learner as the simulation knows them.
class SimulatedLearner
{
public:
    virtual ~SimulatedLearner() = default;
    // The chance of answering question q right at moment now, exactly.
    virtual double ChanceRight(int q, double now) const = 0;
    // Answers question q at now; the right answer is shown afterwards, so the learner learns
    // from it either way.
    bool Answer(int q, double now, Random& random);
    // A mock exam started at `start`, drawn from `draw` as the exam window draws it. No answer is
    // shown during the exam; the review afterwards teaches a wrong answer's question now and
    // then. The draw has its own generator so that the same learner meets the same exams
    // whatever it practised before.
    ExamSitting SitExam(double start, Random& draw, Random& answers);

protected:
    explicit SimulatedLearner(const SimBank& bank) : bank(bank) {}
    // What the learner takes in once the right answer to q was shown after their answer.
    virtual void Learn(int q, double now, bool answeredRight) = 0;

    const SimBank& bank;
};

enum class Family { Exponential, TwoTrace, PowerLaw };
enum class Pace { Quick, Average, Slow };

std::unique_ptr<SimulatedLearner> MakeLearner(Family family, Pace pace, const SimBank& bank,
                                              std::uint64_t seed);

// The chance that a mock exam drawn at now passes, from the learner's true chances of every
// question: exact over every draw and outcome.
double TruePassChance(const SimulatedLearner& learner, const SimBank& bank, double now);
// Whether the true pass chance at now is at least `target`, as exactly, but most moments far
// below the target are settled by PassChanceSurelyBelow, at a hundredth of the cost.
bool TruePassChanceReaches(const SimulatedLearner& learner, const SimBank& bank, double now,
                           double target);
// Whether PassChance of these pools is surely below `target`, from the mean and a bound on the
// spread of the wrong answers alone: cheap, and never wrong when it says so.
bool PassChanceSurelyBelow(const QList<double>& choice, const QList<double>& trueFalse, int perKind,
                           int passScore, double target);

struct StudySession {
    double start = 0; // local days
    int answers = 0;
};

struct StudyDay {
    QList<StudySession> sessions; // none on a day off
    bool exam = false;            // a mock exam after the day's last session
};

// What a learner of the family does on each of `days` days from firstDay (a whole local day).
// With a budget the learner studies every day, exactly that many answers, and sits no exam;
// the session hours are the learner's own either way.
QList<StudyDay> PlanDays(Family family, std::uint64_t seed, double firstDay, int days,
                         std::optional<int> budget);

// How long one answer takes, in days.
constexpr double AnswerDuration = 20.0 / 86400;
