#include "bank/Descrambler.h"

#include "bank/Generator.h"

namespace {
constexpr int FirstPrintable = 32;
constexpr int LastPrintable = 126;
constexpr int PrintableCount = 95;
constexpr int ShiftRange = 96; // Int(x * 96): 0..95, where 95 shifts like 0

bool IsPrintable(char16_t c) { return c >= FirstPrintable && c <= LastPrintable; }

// Runs the keyed sequence over the printable characters of text; shift(c, r) gives the new code.
template <typename Shift> QString Transform(const QString& text, const QString& key, Shift shift)
{
    // Work on a copy of the shared generator and hand its state back at the end: the loop
    // then keeps the state in a register.
    Generator generator;
    generator.Draw(-1.0f);
    generator.Reseed(KeySeed(key));

    QString result(text.size(), Qt::Uninitialized);
    char16_t* out = reinterpret_cast<char16_t*>(result.data());
    qsizetype kept = 0;
    for (const QChar ch : text) {
        const char16_t c = ch.unicode();
        if (!IsPrintable(c))
            continue;
        generator.Next();
        const int r = static_cast<int>(generator.Scaled(ShiftRange));
        out[kept++] = static_cast<char16_t>(shift(c - FirstPrintable, r) + FirstPrintable);
    }
    result.truncate(kept);
    Generator::Shared() = generator;
    return result;
}
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
    // v is 0..94 and r 0..95, so one correction brings v - r back into 0..94.
    return Transform(text, key, [](int v, int r) {
        const int shifted = v - r;
        return shifted < 0 ? shifted + PrintableCount : shifted;
    });
}

QString EncodeText(const QString& text, const QString& key)
{
    return Transform(text, key, [](int v, int r) {
        const int shifted = v + r;
        return shifted >= PrintableCount ? shifted - PrintableCount : shifted;
    });
}
