#include "model/IniFile.h"
#include "model/ParamDefaults.h"
#include "model/PresetFile.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace korva;

namespace {

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void WriteAll(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

ParamModel Defaults() {
    ParamModel m;
    InitParamDefaults(m, false);
    return m;
}

// Every byte of the store and menu table set to a pattern that differs from the defaults.
void Scramble(ParamModel& m, int seed) {
    for (int g = 0; g < kGroupCount; ++g) {
        for (int a = 0; a < kAddressCount; ++a) {
            m.Store.at(g, a) = {uint8_t(g * 31 + a + seed), uint8_t(a * 7 + seed), uint8_t(g + a * 3 + seed)};
        }
    }
    for (int i = 0; i < 256; ++i) {
        m.MenuShow[i] = uint8_t((i + seed) % 2);
    }
}

} // namespace

class TstPresetFile : public QObject {
    Q_OBJECT
private slots:
    void defaultExportLayout() {
        QTemporaryDir dir;
        const QString path = dir.filePath("a.PA");
        QVERIFY(ExportPresetFile(Defaults(), path).ok);
        const QList<QByteArray> lines = ReadAll(path).split('\n');
        // 1566 keys + the section line, each ending in CR LF (the split leaves one empty tail).
        QCOMPARE(lines.size(), 1 + 1566 + 1);
        QVERIFY(lines.last().isEmpty());
        const QList<QByteArray> head = {"[Main]\r",
                                        "Type=ZUL001\r",
                                        "GROUP0.ADDR3.DATA1=19\r",
                                        "GROUP0.ADDR3.DATA2=75\r",
                                        "GROUP0.ADDR3.DATA3=14\r",
                                        "GROUP0.ADDR4.DATA1=44\r"};
        for (int i = 0; i < head.size(); ++i) {
            QCOMPARE(lines[i], head[i]);
        }
        const int musicEnd = lines.indexOf("GROUP0.ADDR9.DATA3=14\r");
        QVERIFY(musicEnd > 0);
        QCOMPARE(lines[musicEnd + 1], QByteArray("GROUP0.ADDR1=0\r"));
        QCOMPARE(lines[musicEnd + 2], QByteArray("GROUP0.ADDR68.DATA1=4\r"));
        QVERIFY(lines.contains("GROUP7.ADDR65=0\r"));
        QVERIFY(lines.contains("COMMON.ADDR192=20\r"));
        QCOMPARE(lines[lines.size() - 2], QByteArray("MENUSHOW.ADDR254=0\r"));
        QVERIFY(!lines.contains("GROUP0.ADDR31.DATA1=11\r")); // bass bands are not in the file
    }

    void roundTrip() {
        QTemporaryDir dir;
        const QString path = dir.filePath("round.pa");
        ParamModel original = Defaults();
        Scramble(original, 3);
        QVERIFY(ExportPresetFile(original, path).ok);

        ParamModel changed = original;
        Scramble(changed, 101);
        const ParamModel beforeImport = changed;
        QCOMPARE(ImportPresetFile(changed, path).status, PresetImportResult::Status::Ok);
        for (const PresetKey& key : PresetKeyOrder()) {
            QCOMPARE(PresetKeyValue(changed, key), PresetKeyValue(original, key));
        }
        // Cells the file does not carry keep their values: DATA2/3 of non-band addresses, bass bands,
        // 0xCE/0xCF and the last menu entry.
        QCOMPARE(changed.Store.at(2, 0x40).DATA2, beforeImport.Store.at(2, 0x40).DATA2);
        QCOMPARE(changed.Store.at(2, 0x40).DATA3, beforeImport.Store.at(2, 0x40).DATA3);
        QCOMPARE(changed.Store.at(5, 0x1F), beforeImport.Store.at(5, 0x1F));
        QCOMPARE(changed.Store.at(0, 0xCE), beforeImport.Store.at(0, 0xCE));
        QCOMPARE(changed.MenuShow[255], beforeImport.MenuShow[255]);
    }

    void badFilesLeaveModelUnchanged_data() {
        QTest::addColumn<QByteArray>("from");
        QTest::addColumn<QByteArray>("to");
        QTest::addColumn<int>("status");
        using S = PresetImportResult::Status;
        QTest::newRow("missing key") << QByteArray("GROUP3.ADDR0=80\r\n") << QByteArray() << int(S::BadData);
        QTest::newRow("empty value") << QByteArray("GROUP3.ADDR0=80") << QByteArray("GROUP3.ADDR0=")
                                     << int(S::BadData);
        QTest::newRow("256") << QByteArray("COMMON.ADDR192=20") << QByteArray("COMMON.ADDR192=256")
                             << int(S::BadData);
        QTest::newRow("-1") << QByteArray("MENUSHOW.ADDR7=0") << QByteArray("MENUSHOW.ADDR7=-1")
                            << int(S::BadData);
        QTest::newRow("letters") << QByteArray("GROUP0.ADDR3.DATA1=19") << QByteArray("GROUP0.ADDR3.DATA1=1x")
                                 << int(S::BadData);
        QTest::newRow("fraction") << QByteArray("GROUP0.ADDR3.DATA1=19")
                                  << QByteArray("GROUP0.ADDR3.DATA1=1.5") << int(S::BadData);
        QTest::newRow("lower-case type")
            << QByteArray("Type=ZUL001") << QByteArray("Type=zul001") << int(S::NotPresetFile);
        QTest::newRow("no type") << QByteArray("Type=ZUL001\r\n") << QByteArray() << int(S::NotPresetFile);
        QTest::newRow("other section")
            << QByteArray("[Main]") << QByteArray("[Other]") << int(S::NotPresetFile);
    }
    void badFilesLeaveModelUnchanged() {
        QFETCH(QByteArray, from);
        QFETCH(QByteArray, to);
        QFETCH(int, status);
        QTemporaryDir dir;
        const QString path = dir.filePath("bad.PA");
        QVERIFY(ExportPresetFile(Defaults(), path).ok);
        QByteArray bytes = ReadAll(path);
        QVERIFY(bytes.contains(from));
        WriteAll(path, bytes.replace(from, to));

        ParamModel model = Defaults();
        Scramble(model, 5);
        const ParamModel before = model;
        QCOMPARE(int(ImportPresetFile(model, path).status), status);
        QVERIFY(model.Store == before.Store);
        QVERIFY(model.MenuShow == before.MenuShow);
    }

    void lenientButExact() {
        // Blanks around values, lower-case key names and LF-only lines are still a valid preset.
        QTemporaryDir dir;
        const QString path = dir.filePath("loose.PA");
        ParamModel source = Defaults();
        QVERIFY(ExportPresetFile(source, path).ok);
        QByteArray bytes = ReadAll(path);
        bytes.replace("GROUP0.ADDR4.DATA1=44", "group0.addr4.data1 =  45 ");
        bytes.replace("\r\n", "\n");
        WriteAll(path, bytes);
        ParamModel model = Defaults();
        QCOMPARE(ImportPresetFile(model, path).status, PresetImportResult::Status::Ok);
        QCOMPARE(model.Store.at(0, 4).DATA1, uint8_t(45));
    }

    void unreadableOrBinaryFile() {
        QTemporaryDir dir;
        ParamModel model = Defaults();
        const QString binary = dir.filePath("noise.PA");
        QByteArray noise;
        for (int i = 0; i < 4096; ++i) {
            noise.append(char((i * 131 + 7) & 0xFF));
        }
        WriteAll(binary, noise);
        QCOMPARE(ImportPresetFile(model, binary).status, PresetImportResult::Status::NotPresetFile);
        QCOMPARE(ImportPresetFile(model, dir.path()).status, PresetImportResult::Status::NotPresetFile);
    }

    void byteOrderMarkIsSkipped() {
        // Opened and saved again in an editor that writes UTF-8 with a byte-order mark.
        QTemporaryDir dir;
        const QString path = dir.filePath("bom.PA");
        QVERIFY(ExportPresetFile(Defaults(), path).ok);
        WriteAll(path, "\xEF\xBB\xBF" + ReadAll(path));
        ParamModel model = Defaults();
        Scramble(model, 2);
        QCOMPARE(ImportPresetFile(model, path).status, PresetImportResult::Status::Ok);
        QVERIFY(model.Store.at(0, 3) == Defaults().Store.at(0, 3));
    }

    void hugeFileIsNotRead() {
        QTemporaryDir dir;
        const QString path = dir.filePath("huge.PA");
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("[Main]\r\nType=ZUL001\r\n");
        QVERIFY(f.resize(IniFile::kMaxFileBytes + 1)); // sparse: costs no disk space
        f.close();
        ParamModel model = Defaults();
        QCOMPARE(ImportPresetFile(model, path).status, PresetImportResult::Status::NotPresetFile);
        const PresetExportResult r = ExportPresetFile(model, path);
        QVERIFY(!r.ok);
        QVERIFY(!r.error.isEmpty());
        QCOMPARE(QFileInfo(path).size(), IniFile::kMaxFileBytes + 1);
    }

    void reexportKeepsForeignKeys() {
        QTemporaryDir dir;
        const QString path = dir.filePath("keep.PA");
        WriteAll(path, "; installer notes\r\n[Main]\r\nVenue=Hall 2\r\nType=OLD\r\n[Extra]\r\nx=1\r\n");
        QVERIFY(ExportPresetFile(Defaults(), path).ok);
        IniFile ini;
        QVERIFY(ini.SetIniFilePath(path));
        QCOMPARE(ini.IniRead("Venue", "Main"), QStringLiteral("Hall 2"));
        QCOMPARE(ini.IniRead("Type", "main"), QStringLiteral("ZUL001"));
        QCOMPARE(ini.IniRead("x", "Extra"), QStringLiteral("1"));
        // The updated Type key stayed where it was, before the appended keys.
        const QByteArray bytes = ReadAll(path);
        QVERIFY(bytes.indexOf("Type=ZUL001") < bytes.indexOf("GROUP0.ADDR3.DATA1"));
        QVERIFY(bytes.indexOf("MENUSHOW.ADDR254") < bytes.indexOf("[Extra]"));
    }

    void failedExportLeavesTargetUnchanged() {
        QTemporaryDir dir;
        const QString path = dir.filePath("ro.PA");
        WriteAll(path, "[Main]\r\nType=ZUL001\r\n");
        QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        const bool rootCanWriteAnyway = QFileInfo(dir.path()).isWritable();
        const PresetExportResult r = ExportPresetFile(Defaults(), path);
        QFile::setPermissions(dir.path(),
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        if (rootCanWriteAnyway) {
            QSKIP("running as root: a read-only folder is still writable");
        }
        QVERIFY(!r.ok);
        QVERIFY(!r.error.isEmpty());
        QCOMPARE(ReadAll(path), QByteArray("[Main]\r\nType=ZUL001\r\n"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 1); // no temporary left behind
    }

    void unwritableTargetsFail() {
        QVERIFY(!ExportPresetFile(Defaults(), "/nonexistent-folder/x.PA").ok);
        QTemporaryDir dir;
        const QString folderAsTarget = dir.filePath("taken.PA");
        QVERIFY(QDir().mkdir(folderAsTarget));
        const PresetExportResult r = ExportPresetFile(Defaults(), folderAsTarget);
        QVERIFY(!r.ok);
        QVERIFY(QFileInfo(folderAsTarget).isDir());
    }

    void extension_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("expected");
        QTest::newRow("none") << "/tmp/a"
                              << "/tmp/a.PA";
        QTest::newRow("upper") << "/tmp/a.PA"
                               << "/tmp/a.PA";
        QTest::newRow("lower") << "/tmp/a.pa"
                               << "/tmp/a.pa";
        QTest::newRow("mixed") << "/tmp/a.Pa"
                               << "/tmp/a.Pa";
        QTest::newRow("other") << "/tmp/a.ini"
                               << "/tmp/a.ini.PA";
    }
    void extension() {
        QFETCH(QString, name);
        QFETCH(QString, expected);
        QCOMPARE(WithPresetExtension(name), expected);
    }

    void iniValueRules() {
        QTemporaryDir dir;
        const QString path = dir.filePath("v.ini");
        WriteAll(path, QByteArray("[Main]\r\nEmpty=\r\nLong=") + QByteArray(300, 'x') +
                           "\r\nDup=first\r\nDUP=second\r\n");
        IniFile ini;
        QVERIFY(ini.SetIniFilePath(path));
        ini.IniSection = "Main";
        QCOMPARE(ini.IniRead("Empty", {}, "NULL"), QString(""));
        QCOMPARE(ini.IniRead("Missing", {}, "NULL"), QStringLiteral("NULL"));
        QCOMPARE(ini.IniRead("Long").size(), IniFile::kMaxValueLength);
        QCOMPARE(ini.IniRead("dup"), QStringLiteral("first"));
        ini.IniWrite("Added", 7, "New");
        ini.IniWrite("empty", "now");
        QCOMPARE(ini.Serialize(), QByteArray("[Main]\r\nempty=now\r\nLong=") + QByteArray(300, 'x') +
                                      "\r\nDup=first\r\nDUP=second\r\n[New]\r\nAdded=7\r\n");
    }
};

QTEST_APPLESS_MAIN(TstPresetFile)
#include "tst_presetfile.moc"
