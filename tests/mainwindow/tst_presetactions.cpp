#include "AdminTestDoubles.h"

#include "mainwindow/presets/PresetActions.h"
#include "mainwindow/presets/PresetFileDialogs.h"
#include "model/ParamDefaults.h"
#include "model/PresetFile.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace korva;
using namespace korva::testing;

namespace {

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool WriteAll(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

// Every byte of the store and menu table set to a pattern that differs from the defaults. The store stays
// below 0xFD, as a processor's does: an import refuses those frame-marker values.
void Scramble(ParamModel& m, int seed) {
    auto byte = [](int v) { return uint8_t(v % 0xFD); };
    for (int g = 0; g < kGroupCount; ++g) {
        for (int a = 0; a < kAddressCount; ++a) {
            m.Store.at(g, a) = {byte(g * 31 + a + seed), byte(a * 7 + seed), byte(g + a * 3 + seed)};
        }
    }
    for (int i = 0; i < kAddressCount; ++i) {
        m.MenuShow[i] = uint8_t((i + seed) % 2);
    }
}

// A program world: the model at its defaults, the fakes around it and the actions on top.
struct World {
    World() { InitParamDefaults(model, false); }
    ParamModel model;
    FakeDevice device{model};
    FakeFileDialogs dialogs;
    MessageRecorder messages;
    PresetActions actions{model, device, dialogs, messages};
};

} // namespace

class TstPresetActions : public QObject {
    Q_OBJECT
public:
    // The user's settings folder for the whole run: the program must leave nothing in it.
    static QTemporaryDir& ConfigHome() {
        static QTemporaryDir dir;
        return dir;
    }
    static void initMain() { qputenv("XDG_CONFIG_HOME", QFile::encodeName(ConfigHome().path())); }

private slots:
    void exportRightAfterStartup() {
        QTemporaryDir dir;
        World w;
        w.dialogs.saveName = dir.filePath("fresh");
        QVERIFY(w.actions.ExportPreset());
        const QList<QByteArray> lines = ReadAll(dir.filePath("fresh.PA")).split('\n');
        QCOMPARE(lines.size(), 1 + 1566 + 1); // section line, the keys, the empty tail after the last CR LF
        QCOMPARE(lines.mid(0, 6), (QList<QByteArray>{"[Main]\r", "Type=ZUL001\r", "GROUP0.ADDR3.DATA1=19\r",
                                                     "GROUP0.ADDR3.DATA2=75\r", "GROUP0.ADDR3.DATA3=14\r",
                                                     "GROUP0.ADDR4.DATA1=44\r"}));
        QVERIFY(w.messages.Messages().empty());
        QVERIFY(w.device.imports.isEmpty());
    }

    void extension_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("written");
        QTest::newRow("none") << "p"
                              << "p.PA";
        QTest::newRow("lower") << "p.pa"
                               << "p.pa";
        QTest::newRow("upper") << "p.PA"
                               << "p.PA";
        QTest::newRow("mixed") << "p.pA"
                               << "p.pA";
        QTest::newRow("other") << "p.txt"
                               << "p.txt.PA";
        QTest::newRow("blanks around") << "  p  "
                                       << "p.PA";
    }
    void extension() {
        QFETCH(QString, typed);
        QFETCH(QString, written);
        QTemporaryDir dir;
        World w;
        // Blanks go around the whole name the dialog returns.
        w.dialogs.saveName = typed.replace(typed.trimmed(), dir.filePath(typed.trimmed()));
        QVERIFY(w.actions.ExportPreset());
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{written});
    }

    void cancelledDialogsDoNothing() {
        World w;
        w.dialogs.saveName = QString();
        w.dialogs.openName = QString();
        QVERIFY(!w.actions.ExportPreset());
        QVERIFY(!w.actions.ImportPreset());
        w.dialogs.openName = QStringLiteral("/nonexistent-folder/none.PA");
        QVERIFY(!w.actions.ImportPreset());
        QCOMPARE(w.dialogs.saveDialogs, 1);
        QCOMPARE(w.dialogs.openDialogs, 2);
        QVERIFY(w.messages.Messages().empty());
        QVERIFY(w.device.imports.isEmpty());
        QVERIFY(w.device.downloads.empty());
    }

    void addedExtensionAsksBeforeReplacing() {
        QTemporaryDir dir;
        const QString existing = dir.filePath("show.PA");
        QVERIFY(WriteAll(existing, "keep me"));
        World w;
        w.dialogs.saveName = dir.filePath("show"); // the dialog asked about "show", not "show.PA"
        w.messages.SetDefaultAnswer(false);
        QVERIFY(!w.actions.ExportPreset());
        QCOMPARE(w.messages.Questions().size(), size_t(1));
        QVERIFY(w.messages.Questions().front().Text.contains(QStringLiteral("show.PA")));
        QCOMPARE(ReadAll(existing), QByteArray("keep me"));
        w.messages.SetDefaultAnswer(true);
        QVERIFY(w.actions.ExportPreset());
        QVERIFY(ReadAll(existing).contains("Type=ZUL001"));
        // A name the dialog itself confirmed is not asked about again.
        w.dialogs.saveName = existing;
        QVERIFY(w.actions.ExportPreset());
        QCOMPARE(w.messages.Questions().size(), size_t(2));
    }

    void failedExportIsReportedAndLeavesNoFile_data() {
        QTest::addColumn<QString>("target"); // relative to a fresh folder holding the file "plain"
        QTest::newRow("parent is a file") << "plain/x.PA";
        QTest::newRow("target is a folder") << "sub.PA";
        QTest::newRow("no such folder") << "missing/x.PA";
    }
    void failedExportIsReportedAndLeavesNoFile() {
        QFETCH(QString, target);
        QTemporaryDir dir;
        QVERIFY(WriteAll(dir.filePath("plain"), "plain"));
        QVERIFY(QDir(dir.path()).mkdir("sub.PA"));
        const QStringList before = QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
        World w;
        w.dialogs.saveName = dir.filePath(target);
        QVERIFY(!w.actions.ExportPreset());
        QCOMPARE(w.messages.Messages().size(), size_t(1));
        QCOMPARE(w.messages.Messages()[0].Icon, MessageIcon::Error);
        // The message names the failure, the file and the reason in Chinese.
        const QStringList lines = w.messages.Messages()[0].Text.split(u'\n');
        QCOMPARE(lines.size(), 3);
        QCOMPARE(lines[0], kExportFailedMessage);
        QCOMPARE(lines[1], QDir::toNativeSeparators(dir.filePath(target)));
        QVERIFY2(lines[2].startsWith(QStringLiteral("无法")), qPrintable(lines[2]));
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);
        QCOMPARE(ReadAll(dir.filePath("plain")), QByteArray("plain"));
        QVERIFY(QDir(dir.filePath("sub.PA")).isEmpty());
    }

    void readOnlyFolderExportFails() {
        QTemporaryDir dir;
        QVERIFY(QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        const bool writableAnyway = QFileInfo(dir.path()).isWritable();
        World w;
        w.dialogs.saveName = dir.filePath("locked.PA");
        const bool exported = w.actions.ExportPreset();
        const QStringList left = QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
        QFile::setPermissions(dir.path(),
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        if (writableAnyway) {
            QSKIP("running as root: a read-only folder is still writable (the cases above fail the write "
                  "another way)");
        }
        QVERIFY(!exported);
        QVERIFY(left.isEmpty());
        QCOMPARE(w.messages.Messages().size(), size_t(1));
        QVERIFY(w.messages.Messages()[0].Text.startsWith(kExportFailedMessage));
    }

    void roundTrip_data() {
        QTest::addColumn<bool>("online");
        QTest::newRow("offline") << false;
        QTest::newRow("online") << true;
    }
    void roundTrip() {
        QFETCH(bool, online);
        QTemporaryDir dir;
        World w;
        Scramble(w.model, 3);
        const ParamModel exported = w.model;
        w.dialogs.saveName = w.dialogs.openName = dir.filePath("round.PA");
        QVERIFY(w.actions.ExportPreset());

        Scramble(w.model, 101);
        const ParamModel changed = w.model;
        w.device.online = online;
        QVERIFY(w.actions.ImportPreset());
        for (const PresetKey& key : PresetKeyOrder()) {
            QCOMPARE(PresetKeyValue(w.model, key), PresetKeyValue(exported, key));
        }
        // What the file does not carry keeps the values it had before the import.
        for (int g = 0; g < kGroupCount; ++g) {
            for (int a : {0x00, 0x01, 0x40, 0x41, 0x80, 0x88}) {
                QCOMPARE(w.model.Store.at(g, a).DATA2, changed.Store.at(g, a).DATA2);
                QCOMPARE(w.model.Store.at(g, a).DATA3, changed.Store.at(g, a).DATA3);
            }
            QCOMPARE(w.model.Store.at(g, 0x1F), changed.Store.at(g, 0x1F)); // bass bands
        }
        QCOMPARE(w.model.Store.at(0, 0xCE), changed.Store.at(0, 0xCE));
        QCOMPARE(w.model.MenuShow[255], changed.MenuShow[255]);

        QCOMPARE(w.device.imports.size(), 1);
        QVERIFY(w.messages.Messages().empty());
        if (online) {
            QCOMPARE(w.device.downloads, std::vector<bool>{true});
            QVERIFY(w.device.downloadedStore == w.model.Store);
        } else {
            QVERIFY(w.device.downloads.empty());
        }
    }

    void badImportChangesNothing_data() {
        QTest::addColumn<QByteArray>("from");
        QTest::addColumn<QByteArray>("to");
        QTest::addColumn<QString>("message");
        const QString bad = kImportBadDataMessage;
        const QString notPreset = kImportNotPresetMessage;
        QTest::newRow("missing GROUP3.ADDR0") << QByteArray("GROUP3.ADDR0=80\r\n") << QByteArray() << bad;
        QTest::newRow("empty value") << QByteArray("GROUP3.ADDR0=80") << QByteArray("GROUP3.ADDR0=") << bad;
        QTest::newRow("256") << QByteArray("GROUP0.ADDR3.DATA1=19") << QByteArray("GROUP0.ADDR3.DATA1=256")
                             << bad;
        QTest::newRow("-1") << QByteArray("MENUSHOW.ADDR254=0") << QByteArray("MENUSHOW.ADDR254=-1") << bad;
        QTest::newRow("last menu key missing") << QByteArray("MENUSHOW.ADDR254=0\r\n") << QByteArray() << bad;
        QTest::newRow("lower-case type")
            << QByteArray("Type=ZUL001") << QByteArray("Type=zul001") << notPreset;
        QTest::newRow("type missing") << QByteArray("Type=ZUL001\r\n") << QByteArray() << notPreset;
        QTest::newRow("binary") << QByteArray() << QByteArray() << notPreset;
    }
    void badImportChangesNothing() {
        QFETCH(QByteArray, from);
        QFETCH(QByteArray, to);
        QFETCH(QString, message);
        QTemporaryDir dir;
        const QString path = dir.filePath("bad.PA");
        World w;
        w.dialogs.saveName = w.dialogs.openName = path;
        QVERIFY(w.actions.ExportPreset());
        QByteArray bytes = ReadAll(path);
        if (from.isEmpty()) {
            bytes.clear();
            for (int i = 0; i < 5000; ++i) {
                bytes.append(char((i * 167 + 13) & 0xFF));
            }
        } else {
            QVERIFY(bytes.contains(from));
            bytes.replace(from, to);
        }
        QVERIFY(WriteAll(path, bytes));

        Scramble(w.model, 9);
        const ParamModel before = w.model;
        QVERIFY(!w.actions.ImportPreset());
        QVERIFY(w.model.Store == before.Store);
        QVERIFY(w.model.MenuShow == before.MenuShow);
        QCOMPARE(w.messages.Messages().size(), size_t(1));
        QCOMPARE(w.messages.Messages()[0].Icon, MessageIcon::Error);
        QCOMPARE(w.messages.Messages()[0].Text, message);
        QVERIFY(w.device.imports.isEmpty()); // neither the screen nor the undo history is touched
        QVERIFY(w.device.downloads.empty());
    }

    void blanksAroundNumbersAreRead() {
        QTemporaryDir dir;
        const QString path = dir.filePath("loose.PA");
        World w;
        w.dialogs.saveName = w.dialogs.openName = path;
        QVERIFY(w.actions.ExportPreset());
        QByteArray bytes = ReadAll(path);
        bytes.replace("GROUP3.ADDR0=80", "GROUP3.ADDR0=  81 ");
        QVERIFY(WriteAll(path, bytes));
        QVERIFY(w.actions.ImportPreset());
        QCOMPARE(w.model.Store.at(3, 0).DATA1, uint8_t(81));
    }

    void reexportKeepsForeignKeys() {
        QTemporaryDir dir;
        const QString path = dir.filePath("venue.PA");
        QVERIFY(WriteAll(path, "; notes\r\n[Main]\r\nVenue=Hall 2\r\n[Extra]\r\nx=1\r\n"));
        World w;
        w.dialogs.saveName = path;
        QVERIFY(w.actions.ExportPreset());
        Scramble(w.model, 4);
        QVERIFY(w.actions.ExportPreset());
        const QByteArray bytes = ReadAll(path);
        QVERIFY(bytes.startsWith("; notes\r\n[Main]\r\nVenue=Hall 2\r\nType=ZUL001\r\n"));
        QVERIFY(bytes.endsWith("[Extra]\r\nx=1\r\n"));
        QCOMPARE(bytes.count("GROUP0.ADDR3.DATA1="), 1); // updated in place, not appended twice
        w.dialogs.openName = path;
        ParamModel exported = w.model;
        Scramble(w.model, 8);
        QVERIFY(w.actions.ImportPreset());
        QVERIFY(w.model.Store.at(4, 0x44) == exported.Store.at(4, 0x44));
    }

    void dialogFolder() {
        QTemporaryDir dir;
        QCOMPARE(PresetDialogFolder(dir.path()), QFileInfo(dir.path()).absoluteFilePath());
        const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        QCOMPARE(PresetDialogFolder(dir.filePath("missing")), documents);
        QVERIFY(WriteAll(dir.filePath("file"), "x"));
        QCOMPARE(PresetDialogFolder(dir.filePath("file")), documents);
        QCOMPARE(PresetDialogFolder(QString()), documents);
    }

    void dialogSetup_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("title");
        QTest::addColumn<bool>("save");
        QTest::newRow("save") << int(PresetDialogKind::Save) << kPresetSaveTitle << true;
        QTest::newRow("open") << int(PresetDialogKind::Open) << kPresetOpenTitle << false;
    }
    void dialogSetup() {
        QFETCH(int, kind);
        QFETCH(QString, title);
        QFETCH(bool, save);
        QTemporaryDir dir;
        // Qt's dialog history from some other program, naming another folder.
        const QString history = ConfigHome().filePath(QStringLiteral("QtProject.conf"));
        const QByteArray remembered = "[FileDialog]\nlastVisited=file://" + QFile::encodeName(QDir::rootPath()) +
                                      "\nhistory=file://" + QFile::encodeName(QDir::rootPath()) + "\n";
        QVERIFY(WriteAll(history, remembered));
        std::unique_ptr<QFileDialog> d = MakePresetFileDialog(PresetDialogKind(kind), nullptr, dir.path());
        QCOMPARE(d->windowTitle(), title);
        QCOMPARE(d->nameFilters(), QStringList{QStringLiteral("前级配置文件 (*.PA)")});
        QCOMPARE(d->acceptMode(), save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        QCOMPARE(d->testOption(QFileDialog::DontConfirmOverwrite), !save);
        QCOMPARE(QFileInfo(d->directory().absolutePath()), QFileInfo(dir.path()));
        d->show();
        d->reject();
        d.reset(); // a dialog stores its history when it goes
        QCOMPARE(QDir(ConfigHome().path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 QStringList{QStringLiteral("QtProject.conf")});
        QCOMPARE(ReadAll(history), remembered);
    }

    void dialogNamesAreCleaned() {
        QCOMPARE(CleanDialogFileName(QStringLiteral("  a.PA  ")), QStringLiteral("a.PA"));
        QCOMPARE(CleanDialogFileName(QStringLiteral("a.PA") + QChar(0) + QStringLiteral("junk")),
                 QStringLiteral("a.PA"));
    }
};

QTEST_MAIN(TstPresetActions)
#include "tst_presetactions.moc"
