#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

// What every target needs: a way to fail loudly, and the input as a file where the code under
// test wants a path.
namespace Fuzz {

// Stops the run with a message: libFuzzer keeps the input that did it.
inline void Expect(bool condition, const char* what)
{
    if (condition)
        return;
    std::fprintf(stderr, "fuzz expectation failed: %s\n", what);
    std::abort();
}

inline QByteArray Bytes(const std::uint8_t* data, std::size_t size)
{
    return QByteArray(reinterpret_cast<const char*>(data), qsizetype(size));
}

// The input written to beijing.dat in a folder that lives as long as the run.
inline QString AsBankFile(const QByteArray& bytes)
{
    static QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("beijing.dat"));
    QFile file(path);
    Expect(file.open(QIODevice::WriteOnly | QIODevice::Truncate), "the bank file can be written");
    Expect(file.write(bytes) == bytes.size(), "the bank file is written whole");
    return path;
}

} // namespace Fuzz
