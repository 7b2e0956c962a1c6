// A processor that is plugged in but that this user may not open: the transport says so once on standard
// error, with the fix, instead of retrying silently on every poll.
#include "link/HidapiBackend.h"
#include "link/USB_Comm.h"
#include "model/MessageService.h"

#include <QRegularExpression>
#include <QTest>

using namespace korva;

namespace {

class NullMessages : public MessageService {
public:
    void Show(MessageIcon, const QString&, const QString& = QString()) override {}
    bool Ask(const QString&, const QString& = QString()) override { return false; }
    void Beep() override {}
};

class InertDevice : public HidDevice {
public:
    bool WriteReport(const uint8_t*, int) override { return true; }
    int ReadReport(uint8_t*, int, int) override { return 0; }
};

// Lists the processor; opening it fails (for lack of permission or otherwise) or succeeds.
class GatedBackend : public HidBackend {
public:
    enum class Gate { Denied, Broken, Open };
    Gate gate = Gate::Denied;

    std::vector<HidDeviceInfo> Enumerate() override { return {{0x0483, 0x6850, "/dev/hidraw7", {}, {}}}; }
    std::unique_ptr<HidDevice> Open(const std::string&) override {
        denied_ = gate == Gate::Denied;
        if (gate == Gate::Open) {
            return std::make_unique<InertDevice>();
        }
        return nullptr;
    }
    QString LastError() const override { return denied_ ? QStringLiteral("ADVICE") : QStringLiteral("gone"); }
    bool LastOpenDenied() const override { return denied_; }

private:
    bool denied_ = false;
};

} // namespace

class TstOpenDenied : public QObject {
    Q_OBJECT
private slots:
    void reportedOnce_data() {
        QTest::addColumn<QList<int>>("gates"); // GatedBackend::Gate per connect attempt
        QTest::addColumn<int>("warnings");
        using G = GatedBackend::Gate;
        QTest::newRow("denied on every retry")
            << QList<int>{int(G::Denied), int(G::Denied), int(G::Denied)} << 1;
        QTest::newRow("other failures stay quiet") << QList<int>{int(G::Broken), int(G::Broken)} << 0;
        QTest::newRow("told again after access was granted once")
            << QList<int>{int(G::Denied), int(G::Open), int(G::Denied), int(G::Denied)} << 2;
    }
    void reportedOnce() {
        QFETCH(QList<int>, gates);
        QFETCH(int, warnings);
        GatedBackend backend;
        NullMessages messages;
        USB_Comm usb(backend, messages);
        usb.SetAutoReadData(false);
        usb.SetVendorID(USB_Comm::kKorvaVendorID);
        usb.SetProductID(USB_Comm::kKorvaProductID);
        // Exactly the expected warnings: a missing one fails the test, and so does any other.
        for (int i = 0; i < warnings; ++i) {
            QTest::ignoreMessage(QtWarningMsg, "ADVICE");
        }
        QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
        for (int gate : gates) {
            backend.gate = GatedBackend::Gate(gate);
            QCOMPARE(usb.Connect(), backend.gate == GatedBackend::Gate::Open);
        }
    }

    void adviceGivesTheFix() {
        const QString advice = HidapiBackend::PermissionAdvice("/dev/hidraw3");
        for (const char* piece :
             {"/dev/hidraw3", "/usr/lib/udev/rules.d/70-korva-tuner.rules",
              "/etc/udev/rules.d/70-korva-tuner.rules",
              "KERNEL==\"hidraw*\", ATTRS{idVendor}==\"0483\", ATTRS{idProduct}==\"6850\", "
              "TAG+=\"uaccess\"",
              "sudo udevadm control --reload-rules && sudo udevadm trigger"}) {
            QVERIFY2(advice.contains(QString::fromUtf8(piece)), piece);
        }
    }
};

QTEST_GUILESS_MAIN(TstOpenDenied)
#include "tst_opendenied.moc"
