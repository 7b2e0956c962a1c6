// Arbitrary bytes as an INI file: reading must never crash; the document must reach a fixed point after
// one write-out; a written key must read back as written and leave every other key as it was; the strict
// reader's uncut value and key lines agree with what the window reads.
#include "FuzzSupport.h"

#include "model/IniFile.h"

#include <QFile>

using namespace korva;

namespace {

// Reads the document behind the bytes, as the program would from a file of that content.
IniFile Load(const uint8_t* data, size_t size) {
    IniFile ini;
    fuzz::Check(ini.SetIniFilePath(fuzz::WriteScratchFile(data, size, QStringLiteral("input.ini"))), "read");
    ini.IniSection = QStringLiteral("Main");
    return ini;
}

IniFile Load(const QByteArray& bytes) {
    return Load(reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size()));
}

// Key names worth probing: short keys, the preset tag and the text that happens to start the input.
QStringList ProbeKeys(const uint8_t* data, size_t size) {
    QStringList keys = {QStringLiteral("Type"), QStringLiteral("GROUP0.ADDR3.DATA1"), QStringLiteral("a")};
    const QByteArray head(reinterpret_cast<const char*>(data), qsizetype(std::min<size_t>(size, 12)));
    const qsizetype eq = head.indexOf('=');
    if (eq > 0) {
        keys.append(QString::fromLatin1(head.left(eq)));
    }
    return keys;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    IniFile ini = Load(data, size);
    const QStringList keys = ProbeKeys(data, size);
    QStringList before;
    for (const QString& key : keys) {
        const QString value = ini.IniRead(key, {}, QStringLiteral("NULL"));
        fuzz::Check(value.size() <= IniFile::kMaxValueLength, "value longer than the read buffer");
        // The strict reader sees the same value uncut, and the lines of a key exist exactly when it does.
        const QString uncut = ini.IniReadUncut(key, {}, QStringLiteral("NULL"));
        fuzz::Check(uncut.left(IniFile::kMaxValueLength).trimmed() == value, "uncut value differs");
        const IniFile::KeyLines lines = ini.FindKeyLines(key);
        const bool present = ini.IniRead(key, {}, QStringLiteral("\n")) != QStringLiteral("\n"); // no value has one
        fuzz::Check((lines.First > 0) == present, "key lines of a key that is not there, or none of one that is");
        fuzz::Check(lines.Second == 0 || lines.Second > lines.First, "second line before the first");
        before.append(value);
    }

    // Once written out, a document reads back to the same bytes.
    const QByteArray first = ini.Serialize();
    fuzz::Check(Load(first).Serialize() == first, "a written document changed when read again");

    // Writing one key changes that key only.
    const QString target = QStringLiteral("Fuzzed.Key");
    ini.IniWrite(target, QStringLiteral("42"));
    fuzz::Check(ini.IniRead(target, {}, QStringLiteral("NULL")) == QStringLiteral("42"), "written key lost");
    for (int i = 0; i < keys.size(); ++i) {
        if (keys[i].trimmed().compare(target, Qt::CaseInsensitive) != 0) {
            fuzz::Check(ini.IniRead(keys[i], {}, QStringLiteral("NULL")) == before[i],
                        "write touched another key");
        }
    }
    const IniFile reread = Load(ini.Serialize());
    fuzz::Check(reread.IniRead(target, QStringLiteral("main"), QStringLiteral("NULL")) ==
                    QStringLiteral("42"),
                "written key lost on disk");
    return 0;
}
