// The design data the program ships with, against the tables of bindings, slider ranges, button kinds and
// panels. The other window tests build a small window of their own; a wrong line in the real one would
// pass all of them.
#include "TestWorld.h"

#include "widgets/ScrollBar.h"
#include "widgets/ShowNumber.h"
#include "widgets/SimpControl.h"

#include <QTest>

using namespace korva;
using korva::test::TestWorld;

namespace {

constexpr int kNone = -1;
constexpr int kToggle = SimpControl::kToggle;
constexpr int kPush = SimpControl::kPush;
constexpr int kTrigger = SimpControl::kTrigger;

struct Expected {
    QString tag; // null: bound at run time, not checked
    int maxValue = kNone;
    int actionType = kNone;
    QString panel; // empty: straight on the window
};

QString Array(const char* name, int index) {
    return QStringLiteral("%1(%2)").arg(QLatin1String(name)).arg(index);
}

// Everything the tables say, by object name.
std::vector<std::pair<QString, Expected>> Tables() {
    std::vector<std::pair<QString, Expected>> rows;
    auto panelOf = [](int k) { return Array("Frame2", k); };

    const char* const sliderTags[] = {
        "Group,&H80",  "Group,&H81",  "Group,&H83",  "Group,&H84",  "Group,&H86",  "Group,&H85",  "",
        "Group,&H40",  "Group,&H53",  "Group,&H0B",  "Group,&HC",   "Group,&H12",  "Group,&H13",  "Group,&H1A",
        "Group,&H19",  "Group,&H22",  "Group,&H23",  "Group,&H00",  "Group,&H0A",  "Common,&HC5", "Common,&HC8",
        "Common,&HC6", "Common,&HC9", "Common,&HC7", "Common,&HCA", "Common,&HC0", "Common,&HC1", "Common,&HC2"};
    const int sliderMax[] = {127, 31, 80, 80, 40, 60, 86, 80, 80, 80, 80, 80, 80, 80,
                             80,  80, 80, 160, 160, 80, 80, 80, 80, 80, 80, 80, 80, 80};
    for (int i = 0; i < 28; ++i) {
        const QString panel = i <= 6 ? panelOf(0) : i <= 18 ? panelOf(1) : i <= 24 ? panelOf(2) : QString();
        rows.push_back({Array("MyScrollBar", i), {sliderTags[i], sliderMax[i], kNone, panel}});
    }
    rows.push_back({"MKnobFreq", {"", 241, kNone, {}}});
    rows.push_back({"MKnobDb", {"", 150, kNone, {}}});
    rows.push_back({"MKnobQ", {"", 41, kNone, {}}});
    rows.push_back({"ScrollTone", {"", 10, kNone, {}}});

    const char* const displayTags[] = {
        "Group,&H80,Value",  "Group,&H81,EchoDly",  "Group,&H83,Value",  "Group,&H84,Value",  "Group,&H86,Value",
        "Group,&H85,RevTime", "",                    "Group,&H40,Value",  "Group,&H53,Value",  "Group,&H0B,Value",
        "Group,&H0C,Value",  "Group,&H12,Value",    "Group,&H13,Value",  "Group,&H19,Value",  "Group,&H1A,Value",
        "Group,&H22,Value",  "Group,&H23,Value",    "Common,&HC5,Value", "Common,&HC8,Value", "Common,&HC6,Value",
        "Common,&HC9,Value", "Common,&HC7,Value",   "Common,&HCA,Value", "Common,&HC0,Value", "Common,&HC1,Value",
        "Common,&HC2,Value"};
    for (int i = 0; i < 26; ++i) {
        const QString panel = i <= 6 ? panelOf(0) : i <= 16 ? panelOf(1) : i <= 22 ? panelOf(2) : QString();
        rows.push_back({Array("MyNumber", i), {displayTags[i], kNone, kNone, panel}});
    }
    for (int i = 0; i < 47; ++i) {
        rows.push_back({Array("ShowNumberDot", i), {QString(), kNone, kNone, "Frame1"}});
    }

    // Buttons whose Value shows a state the program sets (a channel, a group, a stored value, a point)
    // click on the press and leave Value alone; the action buttons show their pressed image while held and
    // act on release; the bypass flips itself.
    for (const char* name : {"SimpControl2", "MShowProgress", "btnShowSub1", "btnParaShow", "btnShowMode",
                             "sLine1", "btnShowPointN", "sLine2"}) {
        rows.push_back({name, {"", kNone, kTrigger, {}}});
    }
    for (int i : {0, 2, 3, 6}) {
        rows.push_back({Array("btnMode", i), {"", kNone, kTrigger, {}}});
    }
    for (const char* name : {"btnClose", "btnUp1", "btnDown1", "btnUp2", "btnDown2", "SimpControl4", "SimpControl7",
                             "btnSave", "btnImport", "btnUpload", "btnLeft1", "btnRight1", "btnReset"}) {
        rows.push_back({name, {"", kNone, kPush, {}}});
    }
    rows.push_back({"btnFBX", {"&HCF", kNone, kTrigger, {}}});
    rows.push_back({"btnLock", {"&HCC", kNone, kTrigger, {}}}); // its handler toggles it, online only
    rows.push_back({"btnEQByPass", {QString(), kNone, kToggle, {}}});

    rows.push_back({"SimpControl5", {"", kNone, kTrigger, "Frame1"}});
    for (int i = 0; i < 17; ++i) {
        rows.push_back({Array("btnShowDot1", i), {QString(), kNone, kTrigger, "Frame1"}});
    }
    for (int k = 0; k < 3; ++k) {
        rows.push_back({Array("SimpControl6", k), {"", kNone, kTrigger, panelOf(k)}});
    }
    const char* const pairTags[] = {"&H14", "&H0D", "&H24", "&H1B"};
    for (int i = 0; i < 8; ++i) {
        rows.push_back({Array("MyButton", i), {pairTags[i / 2], kNone, kTrigger, panelOf(1)}});
    }
    for (int i = 0; i < 2; ++i) {
        rows.push_back({Array("btnStartModeI", i), {"&HC4", kNone, kPush, panelOf(2)}});
        rows.push_back({Array("btnStartModeD", i), {"&HC4", kNone, kPush, panelOf(2)}});
        rows.push_back({Array("btnSaveMode", i), {"&HCB", kNone, kTrigger, panelOf(2)}});
        rows.push_back({Array("btnModeChange", i), {"&HCD", kNone, kTrigger, panelOf(2)}});
    }
    rows.push_back({"btnInput", {"&HC3", kNone, kTrigger, panelOf(2)}});
    rows.push_back({"btnShowStartMode", {"&HC4", kNone, kTrigger, panelOf(2)}});
    return rows;
}

// The point grid or parameter panel a control sits on, or empty for the window itself.
QString PanelOf(const QWidget* widget) {
    for (const QWidget* w = widget->parentWidget(); w && !w->isWindow(); w = w->parentWidget()) {
        if (w->objectName() == u"Frame1" || w->objectName().startsWith(u"Frame2(")) {
            return w->objectName();
        }
    }
    return {};
}

} // namespace

class TstShippedDesign : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QVERIFY2(world_.Create(frmEQ::DefaultDesignText()), qPrintable(world_.Error)); }

    void ControlsMatchTheTables_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("tag");
        QTest::addColumn<int>("maxValue");
        QTest::addColumn<int>("actionType");
        QTest::addColumn<QString>("panel");
        for (const auto& [name, e] : Tables()) {
            QTest::newRow(qPrintable(name)) << name << e.tag << e.maxValue << e.actionType << e.panel;
        }
    }
    void ControlsMatchTheTables() {
        QFETCH(QString, name);
        QFETCH(QString, tag);
        QFETCH(int, maxValue);
        QFETCH(int, actionType);
        QFETCH(QString, panel);
        auto* control = qobject_cast<QWidget*>(world_.Window->Registry().Find(name));
        QVERIFY2(control, "missing from the design data");
        if (!tag.isNull()) {
            QCOMPARE(control->property("TagNew").toString(), tag);
        }
        if (maxValue != kNone) {
            QVERIFY(qobject_cast<ScrollBar*>(control));
            QCOMPARE(control->property("MaxValue").toInt(), maxValue);
        }
        if (actionType != kNone) {
            QVERIFY(qobject_cast<SimpControl*>(control));
            QCOMPARE(control->property("ActionType").toInt(), actionType);
        }
        QCOMPARE(PanelOf(control), panel);
    }

    // A control the tables do not know could carry a binding of its own.
    void EveryBindableControlIsInTheTables() {
        QStringList known;
        for (const auto& row : Tables()) {
            known << row.first;
        }
        for (const ControlRegistry::Entry& entry : world_.Window->Registry().Entries()) {
            const QObject* o = entry.Object;
            if (qobject_cast<const SimpControl*>(o) || qobject_cast<const ScrollBar*>(o) ||
                qobject_cast<const ShowNumber*>(o)) {
                QVERIFY2(known.contains(o->objectName()), qPrintable(o->objectName()));
            }
        }
    }

private:
    TestWorld world_;
};

QTEST_MAIN(TstShippedDesign)
#include "tst_shippeddesign.moc"
