#pragma once
// korva-ctl run as a process against its virtual processors (--demo), through the same USB transport and
// protocol as with real ones: a test's folder holds each processor's memory (the demo's state files) and
// the preset files.
#include "ops/ParamImage.h"
#include "sim/SavedMemory.h"

#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <vector>

namespace korva::test {

struct Run {
    int exit = -1;
    QString out;
    QString err;
    QList<QJsonObject> Json() const {
        QList<QJsonObject> objects;
        for (const QString& line : out.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
            QJsonParseError error{};
            const QJsonDocument doc = QJsonDocument::fromJson(line.toUtf8(), &error);
            if (error.error != QJsonParseError::NoError || !doc.isObject()) {
                qWarning() << "not a JSON object:" << line;
                return {};
            }
            objects << doc.object();
        }
        return objects;
    }
};

// A memory with every byte random, so that a byte read into the wrong place shows. The device never
// sends 0xFD..0xFF as data: the link takes them for the sync echo and the tone reset.
inline ParamModel RandomMemory(quint32 seed) {
    QRandomGenerator random(seed);
    ParamModel memory;
    for (int group = 0; group < kGroupCount; ++group) {
        for (int address = 0; address < kAddressCount; ++address) {
            memory.Store.at(group, address) = {uint8_t(random.bounded(0xFD)), uint8_t(random.bounded(0xFD)),
                                               uint8_t(random.bounded(0xFD))};
        }
    }
    for (uint8_t& b : memory.MenuShow) {
        b = uint8_t(random.bounded(2));
    }
    return memory;
}

// A test's folder: the processors' state files and the preset files.
class CtlBench {
public:
    explicit CtlBench(int processors = 1) {
        for (int i = 0; i < processors; ++i) {
            memories.push_back(RandomMemory(quint32(100 + i)));
            SetMemory(i, memories.back());
        }
    }
    QString Path(const QString& name) const { return dir.filePath(name); }
    QString StateFile(int index) const {
        return dir.filePath(QStringLiteral("state/processor-%1.mem").arg(index + 1));
    }
    void SetMemory(int index, const ParamModel& memory) {
        QDir().mkpath(dir.filePath(QStringLiteral("state")));
        QVERIFY(sim::SaveMemory(memory, StateFile(index)));
    }
    ParamImage Memory(int index) const {
        ParamModel memory;
        if (!sim::LoadMemory(memory, StateFile(index))) {
            qWarning() << "no state for processor" << index + 1;
        }
        return ParamImage::Of(memory);
    }
    // A preset file with the bytes of image.
    QString Preset(const QString& name, const ParamImage& image) const {
        const QString path = Path(name);
        if (!SavePresetImage(image, path)) {
            qWarning() << "cannot write" << path;
        }
        return path;
    }

    // With --demo, the processors' memories come from and go back to this bench.
    QStringList DemoArgs(const QStringList& args, const QString& faults = QString()) const {
        if (!std::any_of(args.begin(), args.end(), [](const QString& a) { return a.startsWith("--demo"); })) {
            return args;
        }
        QStringList demo{"--demo-state", dir.filePath(QStringLiteral("state"))};
        if (!faults.isEmpty()) {
            demo << "--demo-faults" << faults;
        }
        return demo + args;
    }
    Run Ctl(const QStringList& args, const QString& faults = QString()) const {
        return Start(DemoArgs(args, faults), QProcessEnvironment::systemEnvironment(), dir.path());
    }
    // Through bash: shell runs korva-ctl as "$0" "$@" (with a redirection, a pipe, a signal ignored).
    Run Shell(const QString& shell, const QStringList& args, const QString& faults = QString()) const {
        return Start(DemoArgs(args, faults), QProcessEnvironment::systemEnvironment(), dir.path(), shell);
    }

    static void Launch(QProcess& process, const QStringList& args, const QString& folder,
                       const QString& shell = QString()) {
        process.setWorkingDirectory(folder);
        if (shell.isEmpty()) {
            process.start(QStringLiteral(KORVA_CTL), args);
        } else {
            process.start(QStringLiteral("bash"), QStringList{"-c", shell, QStringLiteral(KORVA_CTL)} + args);
        }
    }
    static Run Finish(QProcess& process) {
        Run run;
        if (!process.waitForFinished(120000)) {
            qWarning() << "korva-ctl did not finish:" << process.arguments();
            return run;
        }
        run.exit = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        run.out = QString::fromUtf8(process.readAllStandardOutput());
        run.err = QString::fromUtf8(process.readAllStandardError());
        return run;
    }
    static Run Start(const QStringList& args, const QProcessEnvironment& env,
                     const QString& folder = QString(), const QString& shell = QString()) {
        QProcess process;
        process.setProcessEnvironment(env);
        Launch(process, args, folder, shell);
        return Finish(process);
    }

    QTemporaryDir dir;
    std::vector<ParamModel> memories;
};

} // namespace korva::test
