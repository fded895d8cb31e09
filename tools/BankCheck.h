#pragma once

#include "bank/BankTrailer.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <array>

// Findings of one weight (problems, or notes worth a look). Each sort of finding keeps its first
// few in full and counts the rest, so a huge damaged bank still gives a short report in
// bounded memory.
class Findings {
public:
    static constexpr qsizetype ShownPerSort = 20;

    // sort names the finding's kind in the plural, for the line that counts the rest.
    void Add(const QString& sort, const QString& text);
    // Counts findings of sort without showing them.
    void AddUnshown(const QString& sort, qsizetype count);

    qsizetype Count() const { return count; }
    bool IsEmpty() const { return count == 0; }
    // The findings shown, in the order they were found, then a line for each sort with more.
    QStringList Lines() const;

private:
    struct Sort {
        QString name;
        qsizetype shown = 0;
        qsizetype count = 0;
    };
    Sort& SortNamed(const QString& name);

    QStringList shown;
    QList<Sort> sorts;
    QHash<QString, qsizetype> sortIndex;
    qsizetype count = 0;
};

// What `jiaogui-bank check` finds in a bank file.
struct BankReport {
    struct ChapterCounts {
        std::array<int, 3> choiceAnswers{}; // A, B, C
        std::array<int, 2> judgeAnswers{};  // 对 (A), 错 (B)
        int choices() const { return choiceAnswers[0] + choiceAnswers[1] + choiceAnswers[2]; }
        int judges() const { return judgeAnswers[0] + judgeAnswers[1]; }
    };
    std::array<ChapterCounts, 10> chapters{};
    qsizetype records = 0;
    qsizetype pictures = 0;     // records that show a picture
    qsizetype explanations = 0; // records with an explanation
    QList<qsizetype> topics;    // records per topic, in the order of Topics::Names
    qsizetype withoutTopic = 0; // records that name no topic
    std::optional<BankTrailer> trailer; // when it agrees with the records
    Findings problems;      // each makes the check fail
    Findings observations;  // worth a look, not failures
};

// Whether a record without an explanation is a problem.
enum class Explanations { Optional, Required };
// Whether a bank without a trailer is a problem; otherwise it is a note.
enum class Trailers { Optional, Required };

BankReport CheckBank(const QString& path, Explanations explanations = Explanations::Optional,
                     Trailers trailers = Trailers::Optional);
