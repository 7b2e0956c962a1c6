#pragma once
// Edits a preset file as a person with a text editor would: tests that need a file holding one bad value.

#include <QFile>
#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <QTest>

namespace korva::test {

// Sets each "KEY=VALUE" of edits in the preset file; false when a key is not in it.
inline bool SetPresetKeys(const QString& path, const QStringList& edits) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        return false;
    }
    QString text = QString::fromLatin1(f.readAll());
    f.close();
    for (const QString& edit : edits) {
        const QRegularExpression line(
            QStringLiteral("^%1=\\d+").arg(QRegularExpression::escape(edit.section(u'=', 0, 0))),
            QRegularExpression::MultilineOption);
        if (!text.contains(line)) {
            return false;
        }
        text.replace(line, edit);
    }
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(text.toLatin1()) == text.size();
}

// The rows of a test that feeds a preset holding 253..255 (the link's frame markers): columns "edits"
// (SetPresetKeys) and "named" (the key a refusal names; empty: accepted, as no download carries it).
inline void AddFrameMarkerRows() {
    QTest::addColumn<QStringList>("edits");
    QTest::addColumn<QString>("named");
    QTest::newRow("0xFD in a group block") << QStringList{"GROUP2.ADDR70.DATA2=253"} << "GROUP2.ADDR70.DATA2=253";
    QTest::newRow("0xFF in a group block, the first of two")
        << QStringList{"COMMON.ADDR192=254", "GROUP7.ADDR128=255"} << "GROUP7.ADDR128=255";
    QTest::newRow("0xFE in the Common block") << QStringList{"COMMON.ADDR192=254"} << "COMMON.ADDR192=254";
    QTest::newRow("0xFF in the menu table, which no download carries") << QStringList{"MENUSHOW.ADDR5=255"} << "";
}

} // namespace korva::test
