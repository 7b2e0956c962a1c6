// Parameter images: which bytes a download, a read and a preset file carry, the comparison that names
// each changed byte, and preset files read and written with the window's rules.
#include "model/PresetFile.h"
#include "ops/ParamImage.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

using namespace korva;

namespace {

// The preset a backup of the default memory writes, with `from` replaced by `to` (or appended when
// `from` is empty).
QByteArray EditedPreset(const QByteArray& from, const QByteArray& to) {
    QByteArray text = PresetFileText([] {
        ParamModel model;
        ParamImage::Defaults().ApplyTo(model);
        return model;
    }());
    return from.isEmpty() ? text + to : text.replace(from, to);
}

bool WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

// What is at the path, as the file system has it (not following a symbolic link).
mode_t ModeAt(const QString& path) {
    struct stat st {};
    return ::lstat(PathBytes(path).constData(), &st) == 0 ? st.st_mode : 0;
}

} // namespace

class TstParamImage : public QObject {
    Q_OBJECT
private slots:
    void cellSetsMatchTheTransfersAndTheFile() {
        QCOMPARE(DownloadedCells().size(), size_t(3 * (16 + 8 * (41 + 30 + 12))));
        QCOMPARE(ReadCells().size(), DownloadedCells().size() + size_t(41 + 30 + 12));
        QCOMPARE(PresetCells().size(), PresetKeyOrder().size() - 1 - 8 * 9); // no Type, cuts once
    }

    void aSingleChangedByteIsNamed_data() {
        QTest::addColumn<int>("group");
        QTest::addColumn<int>("address");
        QTest::addColumn<int>("field");
        QTest::addColumn<bool>("menu");
        QTest::addColumn<int>("value");
        QTest::addColumn<QString>("line");
        QTest::newRow("band frequency") << 0 << 0x46 << 0 << false << 131
                                        << "g1.mic12.eq3.freq MODEL 1 话筒1-2 EQ3 频率: 64 Hz → 1000 Hz";
        QTest::newRow("band gain of a bass band") << 1 << 0x1F << 1 << false << 150
                                                  << "g2.bass.eq1.gain MODEL 2 低音 EQ1 增益: 0.0 dB → -15.0 dB";
        QTest::newRow("common level") << 0 << 0xC5 << 0 << false << 30
                                      << "limit.music_min 开机音量限制 音乐最小: 20 → 30";
        QTest::newRow("echo delay") << 7 << 0x81 << 0 << false << 0 << "g8.echo.delay MODEL 8 回声延时: 230 ms → 15 ms";
        QTest::newRow("unnamed byte") << 3 << 0x80 << 1 << false << 7 << "g4.0x80.data2 MODEL 4 地址 0x80 DATA2: 0 → 7";
        QTest::newRow("unnamed common byte") << 0 << 0xD0 - 1 << 2 << false << 9 << "0xCF.data3 地址 0xCF DATA3: 0 → 9";
        QTest::newRow("menu entry") << 0 << 0x44 << 0 << true << 1 << "menu.0x44 菜单显示 0x44: 0 → 1";
    }
    void aSingleChangedByteIsNamed() {
        QFETCH(int, group);
        QFETCH(int, address);
        QFETCH(int, field);
        QFETCH(bool, menu);
        QFETCH(int, value);
        QFETCH(QString, line);
        const ParamImage before = ParamImage::Defaults();
        ParamImage after = before;
        ImageCell{group, address, field, menu}.Set(after, uint8_t(value));
        const std::vector<ImageDifference> diffs = CompareImages(before, after, ReadCells());
        QCOMPARE(diffs.size(), size_t(1));
        QCOMPARE(diffs[0].Describe(), line);
        QCOMPARE(CompareImages(after, after, ReadCells()).size(), size_t(0));
    }

    void presetFilesRoundTripAndBadOnesChangeNothing_data() {
        QTest::addColumn<QByteArray>("content"); // empty: the saved file itself
        QTest::addColumn<QString>("error");      // beginning of the error; empty: loads
        QTest::newRow("saved file") << QByteArray() << "";
        QTest::newRow("not a preset") << QByteArray("[Main]\r\nType=zul001\r\n") << "您导入的文件不是指定的配置文件。";
        QTest::newRow("missing keys") << QByteArray("[Main]\r\nType=ZUL001\r\nGROUP0.ADDR3.DATA1=19\r\n")
                                      << "导入的数据有错误！";
    }
    void presetFilesRoundTripAndBadOnesChangeNothing() {
        QFETCH(QByteArray, content);
        QFETCH(QString, error);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("room.PA"));
        ParamImage saved = ParamImage::Defaults();
        ImageCell{2, 0x46, 2, false}.Set(saved, 30);
        ImageCell{0, 0x10, 0, true}.Set(saved, 1);
        QString why;
        QVERIFY(SavePresetImage(saved, path, &why));
        if (!content.isEmpty()) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write(content);
        }
        ParamImage loaded = ParamImage::Defaults();
        ImageCell{0, 0xCE, 0, false}.Set(loaded, 3); // a byte no preset file carries
        const ParamImage untouched = loaded;
        const bool ok = LoadPresetImage(path, loaded, &why);
        QCOMPARE(ok, error.isEmpty());
        if (ok) {
            QCOMPARE(CompareImages(saved, loaded, PresetCells()).size(), size_t(0));
            QCOMPARE(ImageCell({0, 0xCE, 0, false}).Get(loaded), uint8_t(3));
        } else {
            QVERIFY2(why.startsWith(error), qPrintable(why));
            QVERIFY(loaded == untouched);
        }
    }

    // The file functions korva-ctl calls, against what an installer's folder may hold. `what` is what is
    // at the path before the call; `code` empty means the call succeeds; `reason` is the start of the
    // message after the path (which the message names once, at its front).
    void fileSafety_data() {
        QTest::addColumn<QString>("call");
        QTest::addColumn<QString>("what");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("reason");
        const QByteArray none;
        QTest::newRow("backup onto a symbolic link") << "backup" << "symlink" << none << "not_regular_file"
                                                     << "是符号链接";
        QTest::newRow("backup onto a FIFO") << "backup" << "fifo" << none << "not_regular_file" << "是管道";
        QTest::newRow("backup onto a folder") << "backup" << "folder" << none << "not_regular_file" << "是文件夹";
        QTest::newRow("backup into a missing folder") << "backup" << "no folder" << none << "not_found"
                                                      << "找不到文件所在的文件夹";
        QTest::newRow("backup into a read-only folder") << "backup" << "read-only folder" << none
                                                        << "permission_denied" << "没有写入权限";
        QTest::newRow("backup checked early, read-only folder") << "check" << "read-only folder" << none
                                                                << "permission_denied" << "没有写入权限";
        QTest::newRow("backup with an empty name") << "backup" << "empty name" << none << "name_too_long"
                                                   << "文件名为空";
        QTest::newRow("backup replaces a big foreign file")
            << "backup" << "file" << QByteArray("notes\r\n[Other]\r\nx=1\r\n") + QByteArray(17 << 20, ' ')
            << "" << "";
        QTest::newRow("backup under a name that is not UTF-8") << "backup" << "non-UTF-8 name" << none << ""
                                                               << "";
        QTest::newRow("load from a FIFO") << "load" << "fifo" << none << "not_regular_file" << "是管道";
        QTest::newRow("load from a folder") << "load" << "folder" << none << "not_regular_file" << "是文件夹";
        QTest::newRow("load from a device") << "load" << "/dev/null" << none << "not_regular_file" << "是设备文件";
        QTest::newRow("load from a /proc file of size 0") << "load" << "/proc/self/pagemap" << none
                                                          << "too_large" << "文件太大（超过 16 MB）";
        QTest::newRow("load a file over 16 MB") << "load" << "sparse" << none << "too_large" << "文件太大";
        QTest::newRow("load an unreadable file") << "load" << "unreadable" << EditedPreset({}, {})
                                                 << "permission_denied" << "没有读取权限";
        QTest::newRow("load a missing file under a name that is not UTF-8")
            << "load" << "non-UTF-8 name" << none << "not_found" << "找不到文件";
        QTest::newRow("load a name too long") << "load" << "long name" << none << "name_too_long" << "文件名太长";
        QTest::newRow("load a key written twice")
            << "load" << "file" << EditedPreset({}, "GROUP0.ADDR4.DATA1=45\r\n") << "bad_file"
            << "导入的数据有错误！第 1568 行：GROUP0.ADDR4.DATA1 重复，第 6 行已有这个键";
        QTest::newRow("load a value the window would cut")
            << "load" << "file"
            << EditedPreset("GROUP0.ADDR3.DATA1=19", "GROUP0.ADDR3.DATA1=19" + QByteArray(250, ' ') + 'x')
            << "bad_file" << "导入的数据有错误！第 3 行：GROUP0.ADDR3.DATA1 的值有 253 个字符，超过 249 个";
        QTest::newRow("load a file missing a key") << "load" << "file"
                                                   << EditedPreset("GROUP3.ADDR0=80\r\n", {}) << "bad_file"
                                                   << "导入的数据有错误！缺少键 GROUP3.ADDR0";
        QTest::newRow("load a file of another type")
            << "load" << "file" << EditedPreset("Type=ZUL001", "Type=zul001") << "bad_file"
            << "您导入的文件不是指定的配置文件。第 2 行：Type 是“zul001”，应为 ZUL001";
        QTest::newRow("window saves onto a FIFO") << "window save" << "fifo" << none << "refused" << "";
        QTest::newRow("window imports a FIFO") << "window import" << "fifo" << none << "refused"
                                               << PresetNotPresetMessage();
    }
    void fileSafety() {
        QFETCH(QString, call);
        QFETCH(QString, what);
        QFETCH(QByteArray, content);
        QFETCH(QString, code);
        QFETCH(QString, reason);
        const bool root = ::geteuid() == 0;
        if (root && (what == "read-only folder" || what == "unreadable")) {
            QSKIP("running as root: permissions do not stop root");
        }
        QTemporaryDir dir;
        const QString folder = PathFromBytes(QFile::encodeName(dir.path()));
        QString path = folder + "/room.PA";
        const QString decoy = folder + "/decoy";
        QVERIFY(WriteBytes(decoy, "the link's target\n"));
        if (what == "symlink") {
            QVERIFY(QFile::link(decoy, path));
        } else if (what == "fifo") {
            QCOMPARE(::mkfifo(PathBytes(path).constData(), 0644), 0);
        } else if (what == "folder") {
            QVERIFY(QDir().mkdir(path));
        } else if (what == "no folder") {
            path = folder + "/missing/room.PA";
        } else if (what == "read-only folder") {
            QVERIFY(QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        } else if (what == "empty name") {
            path.clear();
        } else if (what == "/dev/null" || what == "/proc/self/pagemap") {
            path = what;
        } else if (what == "sparse") {
            QFile big(path);
            QVERIFY(big.open(QIODevice::WriteOnly) && big.resize(kMaxReadBytes + 1)); // costs no disk space
        } else if (what == "non-UTF-8 name") {
            path = PathFromBytes(PathBytes(folder) + "/bad\xFFname\xC3.PA");
        } else if (what == "long name") {
            path = folder + '/' + QString(300, u'x');
        } else if (what == "file" || what == "unreadable") {
            QVERIFY(WriteBytes(path, content));
            if (what == "unreadable") {
                QVERIFY(QFile::setPermissions(path, QFileDevice::WriteOwner));
            }
        }

        const ParamImage device = [] {
            ParamImage image = ParamImage::Defaults();
            ImageCell{4, 0x46, 1, false}.Set(image, 33);
            return image;
        }();
        ParamImage loaded = ParamImage::Defaults();
        FileError error;
        bool ok = false;
        if (call == "backup") {
            ok = WritePresetBackup(device, path, &error);
        } else if (call == "check") {
            ok = CheckReplaceable(path, &error);
        } else if (call == "load") {
            ok = LoadPresetImageStrict(path, loaded, &error);
        } else if (call == "window save") {
            QString why;
            ok = SavePresetImage(device, path, &why);
            QVERIFY(!why.isEmpty() || ok);
        } else if (call == "window import") {
            ParamModel model;
            const QString why = LoadPresetIntoModel(model, path);
            ok = why.isEmpty();
            QCOMPARE(why, reason);
        }
        QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);

        QCOMPARE(ok, code.isEmpty());
        QVERIFY(QDir(folder).entryList({".korva-*"}, QDir::Hidden | QDir::Files).isEmpty()); // no scratch left
        if (call.startsWith("window")) {
            return;
        }
        QCOMPARE(error.CodeName(), code);
        const QString shown = DisplayPath(path);
        if (!ok) {
            QVERIFY2(error.Reason.startsWith(reason), qPrintable(error.Reason));
            QCOMPARE(error.Message, path.isEmpty() ? error.Reason : shown + "：" + error.Reason);
            QVERIFY(!error.Message.contains(u'\n'));
        }
        if (what == "non-UTF-8 name") {
            QVERIFY2(shown.endsWith("/bad\\xFFname\\xC3.PA"), qPrintable(shown));
        }
        if (what == "symlink") {
            QVERIFY(S_ISLNK(ModeAt(path)));
            QFile target(decoy);
            QVERIFY(target.open(QIODevice::ReadOnly));
            QCOMPARE(target.readAll(), QByteArray("the link's target\n"));
        }
        if (ok && call == "backup") {
            // The file is the preset alone, under exactly the name given.
            QVERIFY(S_ISREG(ModeAt(path)));
            ParamModel model;
            device.ApplyTo(model);
            QByteArray written;
            QVERIFY(ReadRegularFile(path, written));
            QCOMPARE(written, PresetFileText(model));
            ParamImage back = ParamImage::Defaults();
            QVERIFY(LoadPresetImageStrict(path, back, &error));
            QCOMPARE(CompareImages(device, back, PresetCells()).size(), size_t(0));
            ::unlink(PathBytes(path).constData()); // QTemporaryDir cannot name a file that is not UTF-8
        }
    }
};

QTEST_GUILESS_MAIN(TstParamImage)
#include "tst_paramimage.moc"
