#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <array>

// What `jiaogui-bank check` finds in a bank file.
struct BankReport {
    struct ChapterCounts {
        std::array<int, 3> choiceAnswers{}; // A, B, C
        std::array<int, 2> judgeAnswers{};  // 对 (A), 错 (B)
        int choices() const { return choiceAnswers[0] + choiceAnswers[1] + choiceAnswers[2]; }
        int judges() const { return judgeAnswers[0] + judgeAnswers[1]; }
    };
    std::array<ChapterCounts, 10> chapters{};
    int records = 0;
    int pictures = 0;         // records that show a picture
    QStringList problems;     // each makes the check fail
    QStringList observations; // near-duplicates and unused pictures: worth a look, not failures
};

BankReport CheckBank(const QString& path);
