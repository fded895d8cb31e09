// jiaogui-bank check on a whole file: no crash, no leak, and a report that adds up.

#include "FuzzSupport.h"

#include "tools/BankCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const BankReport report = CheckBank(Fuzz::AsBankFile(Fuzz::Bytes(data, size)));
    Fuzz::Expect(report.records > 0 || !report.problems.IsEmpty(), "a bank without records fails");
    int counted = 0;
    for (const BankReport::ChapterCounts& chapter : report.chapters)
        counted += chapter.choices() + chapter.judges();
    Fuzz::Expect(counted <= report.records, "no record is counted twice");
    constexpr qsizetype Sorts = 8; // more than check has
    Fuzz::Expect(report.problems.Lines().size() <= Sorts * (Findings::ShownPerSort + 1) &&
                     report.observations.Lines().size() <= Sorts * (Findings::ShownPerSort + 1),
                 "the report stays short");
    return 0;
}
