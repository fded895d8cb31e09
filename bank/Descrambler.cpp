#include "bank/Descrambler.h"

#include "bank/Generator.h"

#include <algorithm>
#include <optional>
#include <vector>

namespace {
constexpr int FirstPrintable = 32;
constexpr int LastPrintable = 126;
constexpr int PrintableCount = 95;
constexpr int ShiftRange = 96; // Int(x * 96): 0..95, where 95 shifts like 0

bool IsPrintable(char16_t c) { return c >= FirstPrintable && c <= LastPrintable; }

// Every scramble with a key starts from the same state, so the generator's states are the
// same for every text: they are worked out once per key and read from a table. The table
// grows with the longest text seen, up to a limit; a longer text draws the rest as it goes.
class KeyStates {
public:
    static constexpr qsizetype MaxKept = 1 << 16;

    // Makes the table hold the states of key for a text of size characters, as far as kept.
    void Prepare(const QString& key, qsizetype size)
    {
        if (!tableKey || *tableKey != key) {
            tableKey = key;
            generator = Generator();
            generator.Draw(-1.0f);
            generator.Reseed(KeySeed(key));
            first = generator;
            states.clear();
            shifts.clear();
        }
        const qsizetype wanted = std::min(size, MaxKept);
        while (qsizetype(states.size()) < wanted) {
            generator.Next();
            states.push_back(generator.State());
            shifts.push_back(static_cast<std::uint8_t>(generator.Scaled(ShiftRange)));
        }
    }

    // The generator before its first draw for a text, the states after each draw and the
    // shifts they give.
    Generator first;
    std::vector<std::uint32_t> states;
    std::vector<std::uint8_t> shifts;

private:
    std::optional<QString> tableKey;
    Generator generator;
};

KeyStates& StatesOf(const QString& key, qsizetype size)
{
    thread_local KeyStates table;
    table.Prepare(key, size);
    return table;
}

// Runs the keyed sequence over the printable characters of text; shift(c, r) gives the new code.
// Leaves the shared generator where drawing one number per character would have.
template <typename Char, typename Shift>
QString Transform(const Char* text, qsizetype size, const QString& key, Shift shift)
{
    const KeyStates& table = StatesOf(key, size);
    const qsizetype kept = qsizetype(table.states.size());
    // Past the table the draws go on from its last state.
    Generator generator = kept > 0 ? Generator(table.states[kept - 1]) : table.first;

    QString result(size, Qt::Uninitialized);
    char16_t* out = reinterpret_cast<char16_t*>(result.data());
    qsizetype written = 0;
    for (qsizetype i = 0; i < size; ++i) {
        const auto c = static_cast<char16_t>(text[i]);
        if (!IsPrintable(c))
            continue;
        int r;
        if (written < kept) {
            r = table.shifts[written];
        } else {
            generator.Next();
            r = static_cast<int>(generator.Scaled(ShiftRange));
        }
        out[written++] = static_cast<char16_t>(shift(c - FirstPrintable, r) + FirstPrintable);
    }
    result.truncate(written);
    Generator::Shared() = written == 0      ? table.first
                          : written <= kept ? Generator(table.states[written - 1])
                                            : generator;
    return result;
}

struct Unshift {
    int operator()(int v, int r) const
    {
        // v is 0..94 and r 0..95, so one correction brings v - r back into 0..94.
        const int shifted = v - r;
        return shifted < 0 ? shifted + PrintableCount : shifted;
    }
};

struct Shift {
    int operator()(int v, int r) const
    {
        const int shifted = v + r;
        return shifted >= PrintableCount ? shifted - PrintableCount : shifted;
    }
};
} // namespace

qint32 KeySeed(const QString& key)
{
    quint32 acc = 0;
    int e1 = 0;
    int e2 = 0;
    for (const QChar ch : key) {
        const quint32 c = ch.unicode() & 0xFF;
        acc ^= (c << e1) ^ (c << e2);
        e1 = (e1 + 7) % 19;
        e2 = (e2 + 13) % 23;
    }
    return static_cast<qint32>(acc);
}

QString DecodeText(const QString& text, const QString& key)
{
    return Transform(text.utf16(), text.size(), key, Unshift());
}

QString DecodeText(QLatin1StringView text, const QString& key)
{
    return Transform(reinterpret_cast<const unsigned char*>(text.data()), text.size(), key,
                     Unshift());
}

QString EncodeText(const QString& text, const QString& key)
{
    return Transform(text.utf16(), text.size(), key, Shift());
}
