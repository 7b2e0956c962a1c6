#include "Beds.h"
#include "DesignPlaces.h"
#include "Generators.h"
#include "Preview.h"
#include "SkinChecks.h"
#include "SkinSet.h"
#include "design/SkinNumbers.h"

#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>

#include <optional>
#include <stdexcept>

using namespace korva;
using namespace korva::skingen;

namespace {

// A window with one push button, one slider with a fill and one digit display.
const char* kSmallDesign = R"(# comment
[frmEQ]
ClientSize=1500,1500
BackPic=101

[btnA]
Type=SimpControl
Rect=0,0,300,150
Pics=110
ActionType=1
TagNew=&HCC

[MyScrollBar(0)]
Type=ScrollBar
Rect=0,300,3435,450
DisplayType=0
MaxValue=127
MinPos=20
MaxPos=209
StableOtherPos=4
BackPic=298
BarPic=175

[MyNumber(0)]
Type=ShowNumber
Rect=0,900,720,330
BackPic=219
)";

DesignForm Parsed(const QString& text) {
    QString error;
    std::optional<DesignForm> d = ParseDesignData(text, &error);
    if (!d) {
        qFatal("%s", qPrintable(error));
    }
    return *d;
}

// Sizes that fit kSmallDesign, with every image the program names.
QMap<int, QSize> MatchingSizes() {
    QMap<int, QSize> sizes;
    for (const int n : ProgramImageNumbers()) {
        sizes.insert(n, QSize(20, 20));
    }
    sizes[101] = QSize(100, 100);
    sizes[110] = sizes[111] = QSize(20, 10);
    sizes[175] = QSize(22, 22);
    sizes[297] = QSize(1547, 382);
    sizes[298] = sizes[323] = QSize(229, 30);
    sizes[219] = QSize(48, 22);
    sizes[295] = sizes[296] = QSize(11, 18);
    return sizes;
}

QImage Filled(QSize size, QColor colour) {
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(colour);
    return image;
}

// A skin whose window background (20 x 10 pixels) is red on the left half and blue on the right.
SkinSet RedBlueWindow() {
    QImage window = Filled(QSize(20, 10), Qt::red);
    QPainter(&window).fillRect(QRect(10, 0, 10, 10), Qt::blue);
    SkinSet skin;
    skin.Add(101, window, {}, {});
    return skin;
}

} // namespace

class TstSkingen : public QObject {
    Q_OBJECT

private slots:
    void parseDesign();
    void parseDesignRejects_data();
    void parseDesignRejects();
    void checkAcceptsMatchingSkin();
    void checkFindsProblems_data();
    void checkFindsProblems();
    void imageNumbersAreUnique();
    void writeReplacesStaleImages();
    void bedsFollowBackground();
    void checkBedsFindsMisfits();
    void skinIsCompleteAndDeterministic();
    void finerSkinShowsTheSame();
    void imageSizes_data();
    void imageSizes();
    void overlaysAreSeeThrough_data();
    void overlaysAreSeeThrough();
    void panelsLightTheirOwnTab();
    void numberGlyphs_data();
    void numberGlyphs();
    void sliderPositions_data();
    void sliderPositions();

private:
    const SkinSet& Skin();
    const DesignForm& Design();
    std::optional<DesignForm> design_;
    std::optional<SkinSet> skin_;
};

const DesignForm& TstSkingen::Design() {
    if (!design_) {
        QString error;
        design_ = ReadDesignFile(QStringLiteral(KORVA_DEFAULT_DESIGN), &error);
        if (!design_) {
            qFatal("%s", qPrintable(error));
        }
    }
    return *design_;
}

const SkinSet& TstSkingen::Skin() {
    if (!skin_) {
        skin_.emplace(GenerateSkin(Design()));
    }
    return *skin_;
}

void TstSkingen::parseDesign() {
    const DesignForm d = Parsed(QString::fromUtf8(kSmallDesign) +
                                "\n[Check2]\nType=CheckBox\nRect=15,35,1500,270\nParent=Frame1\nVisible=0\n"
                                "Caption=帧率测试\nTagNew=Group,&H80,Value=x\n"
                                "\n[Frame1]\nType=Frame\nRect=0,750,1500,750\n");
    QCOMPARE(d.ClientSize, QSize(1500, 1500));
    QCOMPARE(d.BackPic, 101);
    QCOMPARE(int(d.Controls.size()), 5);
    QCOMPARE(d.Controls.front().ObjectName(), QStringLiteral("btnA"));
    const DesignControl& check = Control(d, QStringLiteral("Check2"));
    QCOMPARE(check.Type, DesignType::CheckBox);
    QCOMPARE(check.Parent, QStringLiteral("Frame1"));
    QVERIFY(!check.Visible);
    // Artwork lines up with the design itself; the window places the control on whole pixels.
    QCOMPARE(ExactRect(check), QRectF(1, 35 / 15.0, 100, 18));
    QCOMPARE(PixelRect(check), QRect(1, 2, 100, 18));
    QCOMPARE(check.PropertyValue(QStringLiteral("Caption")), QStringLiteral("帧率测试"));
    QCOMPARE(check.PropertyValue(QStringLiteral("TagNew")), QStringLiteral("Group,&H80,Value=x"));
    QCOMPARE(Control(d, QStringLiteral("btnA")).IntProperty(QStringLiteral("TagNew")), 0xCC);
    QCOMPARE(Control(d, QStringLiteral("btnA")).IntListProperty(QStringLiteral("Pics")), QList<int>{110});
    QVERIFY(d.Find(QStringLiteral("nothing")) == nullptr);
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, Control(d, QStringLiteral("nothing")));
}

void TstSkingen::parseDesignRejects_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("error");
    // An unknown parent or a missing Rect, once problems found when checking the skin, the reader refuses.
    const QString form = QStringLiteral("[frmEQ]\nClientSize=1500,1500\n");
    QTest::newRow("key before any block") << "Type=Timer\n"
                                          << "第 1 行";
    QTest::newRow("bad rect") << form + "[a]\nType=Label\nRect=1,2,3\n"
                              << "第 5 行：Rect";
    QTest::newRow("rect not a number") << form + "[a]\nType=Label\nRect=1,2,x,4\n"
                                       << "第 5 行：Rect";
    QTest::newRow("same control twice") << form + "[a]\nType=Timer\n[a]\nType=Timer\n"
                                        << "第 5 行";
    QTest::newRow("no key") << form + "[a]\n=3\n"
                            << "第 4 行";
    QTest::newRow("unknown parent") << form + "[x]\nType=Label\nRect=0,0,15,15\nParent=Frame9\n"
                                    << "Frame9";
    QTest::newRow("no rect") << form + "[x]\nType=Label\n"
                             << "第 3 行";
}

void TstSkingen::parseDesignRejects() {
    QFETCH(QString, text);
    QFETCH(QString, error);
    QString message;
    QVERIFY(!ParseDesignData(text, &message));
    QVERIFY2(message.contains(error), qPrintable(message));
}

void TstSkingen::checkAcceptsMatchingSkin() {
    const DesignForm d = Parsed(QString::fromUtf8(kSmallDesign));
    QCOMPARE(CheckDesignAgainstSkin(d, MatchingSizes()), QStringList());
}

void TstSkingen::checkFindsProblems_data() {
    QTest::addColumn<QString>("extraDesign");
    QTest::addColumn<int>("image");
    QTest::addColumn<QSize>("size"); // invalid: the image is missing
    QTest::addColumn<QString>("problem");
    QTest::newRow("missing image") << "" << 110 << QSize() << "btnA: image 110 does not exist";
    QTest::newRow("no pressed look") << "" << 111 << QSize() << "btnA (pressed or on): image 111";
    QTest::newRow("rect differs") << "" << 110 << QSize(21, 10) << "btnA: Rect size 300x150";
    QTest::newRow("thumb too wide") << "" << 175 << QSize(42, 22) << "thumb 175 leaves track 298";
    QTest::newRow("thumb too tall") << "" << 175 << QSize(22, 27) << "thumb 175 leaves track 298";
    QTest::newRow("fill differs") << "" << 323 << QSize(228, 30) << "fill 323 differs";
    QTest::newRow("digit missing") << "" << 227 << QSize() << "MyNumber(0): image 227";
    QTest::newRow("minus missing") << "" << 296 << QSize() << "MyNumber(0): image 296";
    QTest::newRow("graph size") << "" << 297 << QSize(1547, 381) << "297 must be 1547 x 382";
    QTest::newRow("window size") << "" << 101 << QSize(100, 99) << "BackPic size differs";
}

void TstSkingen::checkFindsProblems() {
    QFETCH(QString, extraDesign);
    QFETCH(int, image);
    QFETCH(QSize, size);
    QFETCH(QString, problem);
    const DesignForm d = Parsed(QString::fromUtf8(kSmallDesign) + extraDesign);
    QMap<int, QSize> sizes = MatchingSizes();
    if (image != 0) {
        size.isValid() ? void(sizes[image] = size) : void(sizes.remove(image));
    }
    const QStringList problems = CheckDesignAgainstSkin(d, sizes);
    QVERIFY2(!problems.filter(problem).isEmpty(), qPrintable(problems.join('\n')));
}

void TstSkingen::imageNumbersAreUnique() {
    SkinSet skin;
    skin.Add(175, Filled(QSize(2, 2), Qt::red), QStringLiteral("a"), QStringLiteral("b"));
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, skin.Add(175, Filled(QSize(2, 2), Qt::red), {}, {}));
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, skin.Add(100, Filled(QSize(2, 2), Qt::red), {}, {}));
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, skin.Add(401, Filled(QSize(2, 2), Qt::red), {}, {}));
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, skin.Image(176));
    QVERIFY(skin.CatalogueMarkdown({175}).contains(QStringLiteral("| 175 **fixed** | 2 × 2 | a | b |")));
}

void TstSkingen::writeReplacesStaleImages() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(Filled(QSize(3, 3), Qt::green).save(dir.filePath(QStringLiteral("150.png"))));
    QFile note(dir.filePath(QStringLiteral("notes.txt")));
    QVERIFY(note.open(QIODevice::WriteOnly));
    note.close();
    SkinSet skin;
    skin.Add(101, Filled(QSize(4, 3), Qt::blue), {}, {});
    skin.Add(175, Filled(QSize(4, 3), QColor(255, 0, 0, 128)), {}, {});
    QString error;
    QVERIFY2(skin.WritePngs(dir.path(), &error), qPrintable(error));
    QCOMPARE(
        QDir(dir.path()).entryList(QDir::Files),
        (QStringList{QStringLiteral("101.png"), QStringLiteral("175.png"), QStringLiteral("notes.txt")}));
    const QImage opaque(dir.filePath(QStringLiteral("101.png")));
    QCOMPARE(opaque.size(), QSize(4, 3));
    QVERIFY(!opaque.hasAlphaChannel());
    QVERIFY(QImage(dir.filePath(QStringLiteral("175.png"))).hasAlphaChannel());
}

void TstSkingen::bedsFollowBackground() {
    const DesignForm d = Parsed(QStringLiteral("[frmEQ]\nClientSize=300,150\nBackPic=101\n"
                                               "[strip]\nType=SimpControl\nRect=0,0,300,60\nPics=103\n"
                                               "[onStrip]\nType=SimpControl\nRect=30,15,60,30\nPics=110\n"
                                               "[left]\nType=SimpControl\nRect=0,90,60,30\nPics=110\n"
                                               "[right]\nType=SimpControl\nRect=240,90,60,30\nPics=110\n"));
    SkinSet skin = RedBlueWindow();
    skin.Add(103, Filled(QSize(20, 4), Qt::green), {}, {});
    const Beds beds(d, skin);
    QCOMPARE(beds.Under(QStringLiteral("left"), QSize(4, 2)).pixelColor(3, 1), QColor(Qt::red));
    QCOMPARE(beds.Under(QStringLiteral("right"), QSize(4, 2)).pixelColor(0, 0), QColor(Qt::blue));
    QCOMPARE(beds.Under(QStringLiteral("onStrip"), QSize(4, 2)).pixelColor(3, 1), QColor(Qt::green));
    QVERIFY(!beds.SameBed(QStringLiteral("left"), QStringLiteral("right"), QSize(4, 2)));
    QVERIFY(beds.SameBed(QStringLiteral("left"), QStringLiteral("left"), QSize(4, 2)));
}

void TstSkingen::checkBedsFindsMisfits() {
    // two buttons share image 110 on differently coloured ground; a third is see-through
    const DesignForm d =
        Parsed(QStringLiteral("[frmEQ]\nClientSize=300,150\nBackPic=101\n"
                              "[left]\nType=SimpControl\nRect=0,90,60,30\nPics=110\n"
                              "[right]\nType=SimpControl\nRect=240,90,60,30\nPics=110\n"
                              "[ghost]\nType=SimpControl\nRect=0,0,60,30\nPics=112\n"
                              "[hidden]\nType=SimpControl\nRect=0,0,60,30\nPics=112\nVisible=0\n"));
    SkinSet skin = RedBlueWindow();
    skin.Add(110, Filled(QSize(4, 2), Qt::gray), {}, {});
    skin.Add(112, Filled(QSize(4, 2), QColor(0, 0, 0, 100)), {}, {});
    QCOMPARE(
        CheckBeds(d, skin),
        (QStringList{QStringLiteral("image 110 is drawn for left but right sits on a different background"),
                     QStringLiteral("image 112 of ghost lets the control's BackColor show through")}));
}

void TstSkingen::skinIsCompleteAndDeterministic() {
    const DesignForm& d = Design();
    const SkinSet& first = Skin();
    QCOMPARE(CheckDesignControls(d), QStringList());
    QCOMPARE(CheckDesignAgainstSkin(d, SizesOf(first)), QStringList());
    QCOMPARE(CheckBeds(d, first), QStringList());
    const SkinSet second = GenerateSkin(d);
    QCOMPARE(second.Images().size(), first.Images().size());
    QStringList differ;
    for (const auto& [number, entry] : first.Images()) {
        if (second.Image(number) != entry.image) {
            differ << QString::number(number);
        }
    }
    QVERIFY2(differ.isEmpty(), qPrintable(differ.join(' ')));
}

// The 2x set: the same images at twice the resolution, fitting the design as the 1x set does, and each
// looking like its 1x image when reduced by 2 x 2 box averages (a part drawn at a wrong place or size
// stands out).
void TstSkingen::finerSkinShowsTheSame() {
    const DesignForm& d = Design();
    const SkinSet fine = GenerateSkin(d, 2);
    QCOMPARE(SizesOf(fine), SizesOf(Skin()));
    QCOMPARE(CheckDesignAgainstSkin(d, SizesOf(fine)), QStringList());
    QCOMPARE(CheckBeds(d, fine), QStringList());
    QStringList unlike;
    for (const auto& [number, entry] : Skin().Images()) {
        const QImage one = entry.image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
        const QImage two = fine.Image(number).convertToFormat(QImage::Format_ARGB32_Premultiplied);
        QCOMPARE(two.size(), one.size() * 2);
        // The worst tile of kTile x kTile pixels, so that a misplaced detail stands out in a large image.
        constexpr int kTile = 16;
        double worst = 0;
        for (int top = 0; top < one.height(); top += kTile) {
            for (int left = 0; left < one.width(); left += kTile) {
                double difference = 0;
                int count = 0;
                for (int y = top; y < std::min(top + kTile, one.height()); ++y) {
                    for (int x = left; x < std::min(left + kTile, one.width()); ++x) {
                        const QRgb block[4] = {two.pixel(2 * x, 2 * y), two.pixel(2 * x + 1, 2 * y),
                                               two.pixel(2 * x, 2 * y + 1), two.pixel(2 * x + 1, 2 * y + 1)};
                        for (const int shift : {0, 8, 16, 24}) {
                            const auto channel = [shift](QRgb c) { return int((c >> shift) & 0xFF); };
                            const double average =
                                (channel(block[0]) + channel(block[1]) + channel(block[2]) + channel(block[3])) /
                                4.0;
                            difference += std::abs(average - channel(one.pixel(x, y)));
                            ++count;
                        }
                    }
                }
                worst = std::max(worst, difference / count);
            }
        }
        if (worst > 40) {
            unlike << QStringLiteral("%1 (%2)").arg(number).arg(worst, 0, 'f', 1);
        }
    }
    QVERIFY2(unlike.isEmpty(), qPrintable(unlike.join(", ")));
}

void TstSkingen::imageSizes_data() {
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("count");
    QTest::addColumn<QSize>("size");
    QTest::newRow("window") << skinnumbers::kMainBackground << 1 << QSize(1582, 900);
    QTest::newRow("graph") << skinnumbers::kGraphBackground << 1 << QSize(1547, 382);
    QTest::newRow("markers") << skinnumbers::kMarkerBand << 34 << QSize(20, 20);
    QTest::newRow("digits and minus") << skinnumbers::kDigit0 << 10 << QSize(11, 18);
    QTest::newRow("minus") << skinnumbers::kMinus << 1 << QSize(11, 18);
    QTest::newRow("decimal point") << skinnumbers::kDecimalPoint << 1 << QSize(5, 18);
    QTest::newRow("knob tracks") << skinnumbers::kKnobTrackFreq << 3 << QSize(312, 50);
    QTest::newRow("knob fill") << skinnumbers::kKnobFill << 1 << QSize(312, 50);
    QTest::newRow("master fill") << skinnumbers::kMasterFill << 1 << QSize(30, 304);
    QTest::newRow("effect fill") << skinnumbers::kEffectFill << 1 << QSize(229, 30);
    QTest::newRow("balance thumbs") << skinnumbers::kBalanceThumb << 2 << QSize(18, 24);
    QTest::newRow("point read-out states") << skinnumbers::kPointDisplay << 35 << QSize(86, 30);
    QTest::newRow("high-cut point") << skinnumbers::kHighCutPoint << 2 << QSize(52, 28);
    QTest::newRow("point buttons") << skinnumbers::kPointButtons << 34 << QSize(52, 28);
    QTest::newRow("panels") << skinnumbers::kPanelBackground << 3 << QSize(1160, 290);
}

void TstSkingen::imageSizes() {
    QFETCH(int, first);
    QFETCH(int, count);
    QFETCH(QSize, size);
    for (int n = first; n < first + count; ++n) {
        QVERIFY2(Skin().Find(n) != nullptr, qPrintable(QString::number(n)));
        QCOMPARE(Skin().Image(n).size(), size);
    }
}

void TstSkingen::overlaysAreSeeThrough_data() {
    QTest::addColumn<int>("number");
    QTest::addColumn<QPoint>("clear"); // a pixel that must let the image below show
    QTest::newRow("band marker") << skinnumbers::kMarkerBand << QPoint(0, 0);
    QTest::newRow("selected low-cut marker") << skinnumbers::kMarkerLowCutSelected << QPoint(0, 19);
    QTest::newRow("digit") << skinnumbers::kDigit0 + 8 << QPoint(5, 5);
    QTest::newRow("knob fill beside the groove") << skinnumbers::kKnobFill << QPoint(10, 45);
    QTest::newRow("master fill beside the groove") << skinnumbers::kMasterFill << QPoint(1, 150);
    QTest::newRow("thumb corner") << skinnumbers::kThumb << QPoint(0, 0);
    QTest::newRow("bypass badge") << skinnumbers::kBypassOverlay << QPoint(290, 48);
}

void TstSkingen::overlaysAreSeeThrough() {
    QFETCH(int, number);
    QFETCH(QPoint, clear);
    QVERIFY(qAlpha(Skin().Image(number).pixel(clear)) < 255);
}

void TstSkingen::panelsLightTheirOwnTab() {
    // the tab areas the window hit-tests, in design pixels of the panel image
    const QRect tabs[3] = {QRect(715, 18, 109, 37), QRect(834, 18, 111, 37), QRect(953, 18, 113, 37)};
    const auto warmth = [](const QImage& image, const QRect& r) {
        double sum = 0;
        for (int y = r.top(); y <= r.bottom(); ++y) {
            for (int x = r.left(); x <= r.right(); ++x) {
                const QColor c = image.pixelColor(x, y);
                sum += c.red() - c.blue();
            }
        }
        return sum / (r.width() * r.height());
    };
    for (int panel = 0; panel < 3; ++panel) {
        const QImage& image = Skin().Image(skinnumbers::kPanelBackground + panel);
        for (int tab = 0; tab < 3; ++tab) {
            if (tab != panel) {
                QVERIFY2(warmth(image, tabs[panel]) > warmth(image, tabs[tab]) + 10,
                         qPrintable(QStringLiteral("panel %1 tab %2").arg(panel).arg(tab)));
            }
        }
    }
}

void TstSkingen::numberGlyphs_data() {
    QTest::addColumn<int>("value");
    QTest::addColumn<bool>("div10");
    QTest::addColumn<QString>("shown"); // digits, '-' for the minus and '.' for the point
    QTest::newRow("zero with one decimal") << 0 << true << "0";
    QTest::newRow("negative with decimal") << -55 << true << "-5.5";
    QTest::newRow("below one") << 3 << true << "0.3";
    QTest::newRow("negative below one") << -5 << true << "-0.5";
    QTest::newRow("whole tenths lose the zero") << 250 << true << "25";
    QTest::newRow("plain") << 20000 << false << "20000";
    QTest::newRow("plain negative") << -40 << false << "-40";
}

void TstSkingen::numberGlyphs() {
    QFETCH(int, value);
    QFETCH(bool, div10);
    QFETCH(QString, shown);
    QString text;
    for (const int glyph : ShowNumberGlyphs(value, div10, skinnumbers::kDigit0, skinnumbers::kDecimalPoint)) {
        text += glyph == skinnumbers::kDecimalPoint ? QChar('.')
                : glyph == skinnumbers::kMinus      ? QChar('-')
                                                    : QChar('0' + glyph - skinnumbers::kDigit0);
    }
    QCOMPARE(text, shown);
}

void TstSkingen::sliderPositions_data() {
    QTest::addColumn<QString>("slider");
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("position");
    QTest::newRow("Q 1.4") << "MKnobQ" << 14 << 13;
    QTest::newRow("Q 5") << "MKnobQ" << 35 << 31;
    QTest::newRow("Q between 4 and 5") << "MKnobQ" << 32 << 30;
    QTest::newRow("Q index 0") << "MKnobQ" << 0 << 0;
    QTest::newRow("Q tie to even") << "MKnobQ" << 33 << 30;
    QTest::newRow("gain 0 dB in the middle") << "MKnobDb" << 75 << 75;
    QTest::newRow("gain -15 dB at the left") << "MKnobDb" << 150 << 0;
    QTest::newRow("frequency limited") << "MKnobFreq" << 250 << 241;
    QTest::newRow("master at full volume on top") << "MyScrollBar(25)" << 80 << 0;
    QTest::newRow("key shift +5 on top") << "ScrollTone" << 10 << 0;
}

void TstSkingen::sliderPositions() {
    QFETCH(QString, slider);
    QFETCH(int, value);
    QFETCH(int, position);
    QCOMPARE(SliderPosition(Control(Design(), slider), value), position);
}

QTEST_MAIN(TstSkingen)
#include "tst_skingen.moc"
