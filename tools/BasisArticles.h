#pragma once

#include <QMap>
#include <QSet>
#include <QString>
#include <QStringList>

#include <optional>

// What a law text holds that a basis can name: its articles, with the number of paragraphs
// (款) of each, its annexes and whether it has a title note (题注).
struct LawText {
    QMap<QString, int> articles; // "47", "133之一" -> paragraphs
    QSet<int> annexes;
    bool titleNote = false;
};

// A number written in Arabic digits ("108") or Chinese numerals ("一百零八", "十二");
// nothing for anything else.
std::optional<int> ParseNumber(const QString& text);

// Reads a law text in Markdown: a "# title" line, the title note up to "<!-- INFO END -->", then
// articles that each start a line with "第N条" in Chinese numerals; the lines below an article up
// to the next are its paragraphs, apart from its items "（一）…" and the chapter headings.
LawText ReadLawText(const QString& markdown);

// What one basis part names that the law text lacks: "第48条", "第17条第三款", "附件5", "题注".
// Ranges "第3条至第5条" name every article between. Empty when everything is there.
QStringList MissingArticles(const QString& reference, const LawText& law);

struct BasisArticlesReport {
    QStringList missing; // "03-099\t《…》第17条第三款\t第17条第三款", one per missing article
    QStringList problems; // sources or law texts that could not be read
    int checked = 0;      // basis parts matched to a law text
    int notCheckable = 0; // standards, common sense, laws with no text in the folder
};

// Checks every basis of the *.json questions of sourceDir against the law texts of lawsDir,
// named "<title>(<date>).md"; of several dates of one title the latest is read.
BasisArticlesReport CheckBasisArticles(const QString& lawsDir, const QString& sourceDir);
