// Thousands of random edits through the main window while the virtual processor misbehaves: lost
// acknowledgements and answers, broken checksums, line noise, late replies, failing writes, unplugging.
// Between any two actions nothing may hang, stay locked or leave its range; at the end, with the link
// back and one full download, the processor's memory must equal the store byte for byte.
//
// KORVA_SOAK_STEPS sets the number of actions (default below, 15 to 25 s), KORVA_SOAK_SEED the seed (a
// number, or "random"). A seed replays a run's decisions; the event loop's timing still varies from run
// to run, so a decision may meet the link in another state.

#include "EditTestSupport.h"
#include "FaultInjector.h"
#include "SoakInvariants.h"
#include "SoakRandom.h"
#include "SoakUser.h"
#include "StepWatchdog.h"

#include "mainwindow/editing/EditHandlers.h"
#include "sim/DeviceFirmware.h"
#include "widgets/C_ProgressBar.h"
#include "widgets/ScrollBar.h"
#include "widgets/SimpControl.h"

#include <QElapsedTimer>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <random>

using namespace korva;
using namespace korva::soak;
using namespace korva::test;

namespace {

constexpr int kDefaultSteps = 1500;
constexpr int kDefaultSeed = 1;
// Failures cost milliseconds instead of 300 ms each.
constexpr int kAckTimeoutMs = 20;
// Short edit bursts, so the run records many undo points and fills the history.
constexpr int kBurstPauseMs = 40;
constexpr std::chrono::seconds kStepLimit{20};
// Offline the user makes a few edits and then waits for the link to come back.
constexpr int kMostOfflineSteps = 40;
constexpr int kReconnectWaitMs = 9000;

int EnvironmentNumber(const char* name, long long fallback) {
    bool ok = false;
    const long long value = qEnvironmentVariable(name).toLongLong(&ok);
    return int(ok && value >= 0 ? value : fallback);
}

bool IdleOnline(TestWorld& world) {
    return world.Comm().IsOnline() && !world.Comm().LinkBusy() && world.Window->isEnabled();
}

// Returns how long it waited.
qint64 WaitForTheLink(TestWorld& world, FaultInjector& faults) {
    QElapsedTimer waited;
    waited.start();
    while (!IdleOnline(world) && waited.elapsed() < kReconnectWaitMs) {
        faults.Tick();
        QTest::qWait(10);
    }
    return waited.elapsed();
}

// Settings that only a download takes to the processor: the power-on group, the save mode and a
// power-on level. After them the store differs from the processor's memory again.
void EditStoredOnlySettings(TestWorld& world) {
    const MainControls& c = world.C();
    const int powerOnGroup = c.btnShowStartMode->Value();
    ClickOn(c.btnStartModeD[powerOnGroup < EditHandlers::kStartGroupHighest ? 1 : 0]);
    ClickOn(c.btnSaveMode[c.btnSaveMode[0]->Value() == 1 ? 1 : 0]);
    ScrollBar* level = c.MyScrollBar[EditHandlers::kFirstStoredOnlySlider];
    level->SetValue(level->Value() == 0 ? 1 : level->Value() - 1);
    emit level->Change();
}

} // namespace

class TestFaultSoak : public QObject {
    Q_OBJECT
private slots:
    void RandomEditsUnderFaults();
};

void TestFaultSoak::RandomEditsUnderFaults() {
    // A fixed seed unless told otherwise; "random" draws a new one (printed, to replay it).
    const bool randomSeed = qEnvironmentVariable("KORVA_SOAK_SEED") == QLatin1String("random");
    const uint32_t seed = uint32_t(randomSeed ? std::random_device{}() & 0x7FFFFFFF
                                              : EnvironmentNumber("KORVA_SOAK_SEED", kDefaultSeed));
    const int steps = EnvironmentNumber("KORVA_SOAK_STEPS", kDefaultSteps);
    const QString replay = QStringLiteral(" (seed %1: replay with KORVA_SOAK_SEED=%1)").arg(seed);
    qInfo("fault soak: %d steps, seed %u", steps, seed);

    PresetShelf presets; // used by the window to its end
    QVERIFY(presets.Folder.isValid());
    TestWorld world;
    QVERIFY2(world.Load(frmEQ::DefaultDesignText()), qPrintable(world.Error));
    Communications& comm = world.Comm();
    comm.TimeOuter1().setInterval(kAckTimeoutMs);
    world.Context.Undo.tmrMoveTimeout.setInterval(kBurstPauseMs);
    int offlineTransitions = 0;
    connect(&comm, &Communications::LinkLost, this, [&offlineTransitions] { ++offlineTransitions; });

    // The first activation starts the connection attempts; the link reads the processor's memory.
    world.Window->FormActivate();
    QTRY_VERIFY_WITH_TIMEOUT(IdleOnline(world), 5000);

    QString error;
    const SoakInvariants invariants(world, &error);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    error = invariants.Check();
    QVERIFY2(error.isEmpty(), qPrintable(QStringLiteral("before the first action: ") + error));

    const TransferCheck transfers(world);
    // One draw of the run's engine per step seeds everything the step decides: a step that finds the
    // link in another state than last time changes its own course, not that of the steps after it.
    SoakRandom run(seed);
    SoakRandom random(run.NextSeed());
    SoakUser user(world, random, presets);
    FaultInjector faults(world.Device, random);
    faults.WatchTransfers(world.C().C_ProgressBar1);
    StepWatchdog watchdog(kStepLimit, seed);
    auto expected = [&] {
        return SoakInvariants::ExpectedMessages{offlineTransitions, user.OfflineDownloads(),
                                                user.NotANumberEntries(), faults.ThrowsArmed()};
    };

    QElapsedTimer clock;
    clock.start();
    int offlineSteps = 0;
    int offlineAllowance = random.Int(0, kMostOfflineSteps);
    int reconnects = 0;
    qint64 waitedForLinkMs = 0;
    long long framesReceived = 0;
    for (int step = 0; step < steps; ++step) {
        random.Reseed(run.NextSeed());
        faults.Tick();
        faults.MaybeInject(comm.IsOnline());
        const int action = user.Choose();
        watchdog.Begin(step, SoakUser::Name(action));
        user.Run(action);
        if (random.Chance(0.06)) {
            user.RunLater();
        }
        if (random.Chance(0.6)) {
            QCoreApplication::processEvents();
        } else {
            QTest::qWait(random.Chance(0.85) ? random.Int(1, 3) : random.Int(5, 30));
        }

        // Offline the user makes a few edits more, then waits for the link to come back by itself.
        if (!comm.IsOnline() && ++offlineSteps > offlineAllowance) {
            watchdog.Begin(step, "waiting for the link");
            waitedForLinkMs += WaitForTheLink(world, faults);
            reconnects += comm.IsOnline() ? 1 : 0;
            offlineSteps = 0;
            offlineAllowance = random.Int(0, kMostOfflineSteps);
        }

        const QString broken =
            invariants.Check() + invariants.CheckMessages(expected()) + transfers.FirstDifference();
        QVERIFY2(broken.isEmpty(),
                 qPrintable(QStringLiteral("after step %1 (%2): %3%4")
                                .arg(step)
                                .arg(QLatin1String(SoakUser::Name(action)), broken, replay)));
        if (world.Device.ReceivedFrames().size() > 5000) {
            framesReceived += qsizetype(world.Device.ReceivedFrames().size());
            world.Device.ClearRecordings();
        }
    }
    framesReceived += qsizetype(world.Device.ReceivedFrames().size());
    const qint64 soakMs = clock.elapsed();

    // The link comes back by itself once the processor behaves; its whole read then replaces the store.
    user.Stop();
    faults.ClearAll();
    watchdog.Begin(steps, "final reconnect");
    QTRY_VERIFY2_WITH_TIMEOUT(IdleOnline(world),
                              qPrintable(QStringLiteral("the link did not come back") + replay), 15000);
    const QString afterRead =
        invariants.Check() + invariants.CheckMessages(expected()) + transfers.FirstDifference();
    QVERIFY2(afterRead.isEmpty(), qPrintable(afterRead + replay));

    EditStoredOnlySettings(world);
    const ParamStore& store = world.Model().Store;
    QVERIFY(!SoakInvariants::CompareTransferredBlocks(world.Device.Memory().Store, store).isEmpty());

    watchdog.Begin(steps, "final download");
    const int downloads = world.Device.Firmware().FinishedDownloads();
    const size_t messages = world.Messages.Messages().size();
    ClickOn(world.C().btnUpload);
    QVERIFY2(world.Device.Firmware().FinishedDownloads() == downloads + 1,
             qPrintable(QStringLiteral("the download did not finish") + replay));
    QVERIFY(comm.IsOnline());
    QCOMPARE(world.Messages.Messages().size(), messages);
    const QString differs = SoakInvariants::CompareTransferredBlocks(world.Device.Memory().Store, store);
    QVERIFY2(differs.isEmpty(), qPrintable(differs + replay));
    const QString atEnd = invariants.Check() + invariants.CheckMessages(expected());
    QVERIFY2(atEnd.isEmpty(), qPrintable(atEnd + replay));

    qInfo("%d steps in %.1f s (%.1f s of it waiting for the link); %d actions inside waits; %d times "
          "offline, %d reconnects; %d bulk transfers compared; %lld frames to the processor; communication "
          "log %lld characters",
          steps, soakMs / 1000.0, waitedForLinkMs / 1000.0, user.NestedActions(), offlineTransitions,
          reconnects, transfers.Checked(), framesReceived,
          static_cast<long long>(world.Context.Link.Log().CommLogText().size()));
    qInfo("actions: %s", qPrintable(user.Summary()));
    qInfo("faults: %s", qPrintable(faults.Summary()));
}

QTEST_MAIN(TestFaultSoak)
#include "tst_faultsoak.moc"
