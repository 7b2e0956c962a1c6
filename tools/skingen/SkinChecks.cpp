#include "SkinChecks.h"

#include "Beds.h"
#include "SkinStyle.h"
#include "design/SkinNumbers.h"
#include "design/Twips.h"

#include <QDir>
#include <QImageReader>
#include <QRegularExpression>

namespace korva::skingen {

QList<int> ProgramImageNumbers() {
    QList<int> n = {
        skinnumbers::kMainBackground,  skinnumbers::kDefaultButton,   skinnumbers::kThumb,
        skinnumbers::kToneThumb,       skinnumbers::kMasterTrack,     skinnumbers::kToneTrack,
        skinnumbers::kLimitTrack,      skinnumbers::kDecimalPoint,    skinnumbers::kMinus,
        skinnumbers::kGraphBackground, skinnumbers::kEffectTrack,     skinnumbers::kEffectTrackVertical,
        skinnumbers::kVolumeTrack,     skinnumbers::kVolumeThumb,     skinnumbers::kBypassOverlay,
        skinnumbers::kMasterFill,      skinnumbers::kEffectFill,      skinnumbers::kKnobFill,
        skinnumbers::kHighCutPoint,    skinnumbers::kHighCutPoint + 1};
    // every marker of the graph, plain and selected
    for (int i = skinnumbers::kMarkerBand; i <= skinnumbers::kMarkerLowCutSelected; ++i) {
        n.append(i);
    }
    // the balance thumbs and tracks, and the knob tracks
    for (int i = skinnumbers::kBalanceThumb; i <= skinnumbers::kKnobTrackQ; ++i) {
        n.append(i);
    }
    for (int d = 0; d < 10; ++d) {
        n.append(skinnumbers::kDigit0 + d);
    }
    return n;
}

namespace {

class Checker {
public:
    explicit Checker(const QMap<int, QSize>& sizes) : sizes_(sizes) {}

    bool Exists(int number, const QString& who) {
        if (!sizes_.contains(number)) {
            problems_ << QStringLiteral("%1: image %2 does not exist").arg(who).arg(number);
            return false;
        }
        return true;
    }
    void SameSize(const DesignControl& c, int number, const QString& what) {
        if (!sizes_.contains(number)) {
            return;
        }
        const QSize want = sizes_[number] * kTwipsPerPixel;
        if (c.Rect->size() != want) {
            problems_ << QStringLiteral("%1: Rect size %2x%3 twips, but %4 %5 is %6x%7 twips")
                             .arg(c.ObjectName())
                             .arg(c.Rect->width())
                             .arg(c.Rect->height())
                             .arg(what)
                             .arg(number)
                             .arg(want.width())
                             .arg(want.height());
        }
    }
    void Slider(const DesignControl& c) {
        const int back = c.IntProperty(QStringLiteral("BackPic"), skinnumbers::kKnobTrackFreq);
        const int bar = c.IntProperty(QStringLiteral("BarPic"), skinnumbers::kThumb);
        if (!Exists(back, c.ObjectName()) || !Exists(bar, c.ObjectName())) {
            return;
        }
        SameSize(c, back, QStringLiteral("BackPic"));
        const QSize track = sizes_[back];
        const QSize thumb = sizes_[bar];
        const bool vertical = c.IntProperty(QStringLiteral("DisplayType")) == 1;
        const double along = vertical ? track.height() : track.width();
        const double across = vertical ? track.width() : track.height();
        const double half = (vertical ? thumb.height() : thumb.width()) / 2.0;
        const double other =
            c.IntProperty(QStringLiteral("StableOtherPos"), 7) + (vertical ? thumb.width() : thumb.height());
        if (c.IntProperty(QStringLiteral("MinPos"), 56) - half < 0 ||
            c.IntProperty(QStringLiteral("MaxPos"), 256) + half > along || other > across) {
            problems_
                << QStringLiteral("%1: thumb %2 leaves track %3").arg(c.ObjectName()).arg(bar).arg(back);
        }
        const int fill = back == skinnumbers::kMasterTrack   ? skinnumbers::kMasterFill
                         : back == skinnumbers::kEffectTrack ? skinnumbers::kEffectFill
                         : (back >= skinnumbers::kKnobTrackFreq && back <= skinnumbers::kKnobTrackQ)
                             ? skinnumbers::kKnobFill
                             : 0;
        if (fill != 0 && Exists(fill, c.ObjectName()) && sizes_[fill] != track) {
            problems_ << QStringLiteral("%1: fill %2 differs in size from track %3")
                             .arg(c.ObjectName())
                             .arg(fill)
                             .arg(back);
        }
        if (bar == skinnumbers::kBalanceThumb) {
            Exists(skinnumbers::kBalanceThumbCentre, c.ObjectName());
        }
    }
    void Simp(const DesignControl& c) {
        const QList<int> pics = c.IntListProperty(QStringLiteral("Pics"));
        if (pics.isEmpty()) {
            problems_ << QStringLiteral("%1: no Pics").arg(c.ObjectName());
            return;
        }
        for (const int n : pics) {
            Exists(n, c.ObjectName());
        }
        SameSize(c, pics.first(), QStringLiteral("first of Pics"));
        const int valueLayer = c.IntProperty(QStringLiteral("ValueIndex"));
        if (c.IntProperty(QStringLiteral("ActionType"), 1) <= 1 && valueLayer < pics.size()) {
            Exists(pics[valueLayer] + 1, c.ObjectName() + QStringLiteral(" (pressed or on)"));
        }
    }
    void Number(const DesignControl& c) {
        const int digit0 = c.IntProperty(QStringLiteral("PicNumber"), skinnumbers::kDigit0);
        const int point = c.IntProperty(QStringLiteral("PicDig"), skinnumbers::kDecimalPoint);
        for (int d = 0; d < 10; ++d) {
            Exists(digit0 + d, c.ObjectName());
        }
        Exists(point, c.ObjectName());
        Exists(point + 1, c.ObjectName());
        const int back = c.IntProperty(QStringLiteral("BackPic"));
        if (back != 0 && Exists(back, c.ObjectName())) {
            SameSize(c, back, QStringLiteral("BackPic"));
        }
    }
    QStringList problems_;

private:
    const QMap<int, QSize>& sizes_;
};

} // namespace

QStringList CheckDesignAgainstSkin(const DesignForm& design, const QMap<int, QSize>& sizes) {
    Checker check(sizes);
    for (const int n : ProgramImageNumbers()) {
        check.Exists(n, QStringLiteral("program"));
    }
    if (check.Exists(design.BackPic, design.Name) &&
        sizes[design.BackPic] * kTwipsPerPixel != design.ClientSize) {
        check.problems_ << QStringLiteral("%1: BackPic size differs from ClientSize").arg(design.Name);
    }
    if (sizes.value(skinnumbers::kGraphBackground) != QSize(1547, 382)) {
        check.problems_
            << QStringLiteral("graph background %1 must be 1547 x 382").arg(skinnumbers::kGraphBackground);
    }
    for (const DesignControl& c : design.Controls) {
        if (c.Type == DesignType::SimpControl) {
            check.Simp(c);
        } else if (c.Type == DesignType::ScrollBar) {
            check.Slider(c);
        } else if (c.Type == DesignType::ShowNumber) {
            check.Number(c);
        }
    }
    return check.problems_;
}

QStringList CheckDesignControls(const DesignForm& design) {
    QStringList names = {QStringLiteral("SimpControl2"),
                         QStringLiteral("btnClose"),
                         QStringLiteral("btnShowSub1"),
                         QStringLiteral("btnUp1"),
                         QStringLiteral("btnDown1"),
                         QStringLiteral("btnShowMode"),
                         QStringLiteral("Picture1"),
                         QStringLiteral("Frame1"),
                         QStringLiteral("btnInput"),
                         QStringLiteral("btnShowStartMode"),
                         QStringLiteral("MKnobFreq"),
                         QStringLiteral("MKnobDb"),
                         QStringLiteral("MKnobQ"),
                         QStringLiteral("btnLeft1"),
                         QStringLiteral("btnRight1"),
                         QStringLiteral("btnShowPointN"),
                         QStringLiteral("sLine1"),
                         QStringLiteral("sLine2"),
                         QStringLiteral("btnEQByPass"),
                         QStringLiteral("btnReset"),
                         QStringLiteral("btnParaShow"),
                         QStringLiteral("ScrollTone"),
                         QStringLiteral("btnFBX"),
                         QStringLiteral("btnUp2"),
                         QStringLiteral("btnDown2"),
                         QStringLiteral("btnLock"),
                         QStringLiteral("btnSave"),
                         QStringLiteral("btnImport"),
                         QStringLiteral("btnUpload"),
                         QStringLiteral("SimpControl4"),
                         QStringLiteral("SimpControl7"),
                         QStringLiteral("MShowProgress"),
                         QStringLiteral("C_ProgressBar1"),
                         QStringLiteral("Check2"),
                         QStringLiteral("Label1"),
                         QStringLiteral("Text1"),
                         QStringLiteral("CommConnect"),
                         QStringLiteral("tmrKeepConnect"),
                         QStringLiteral("tmrConnectTimeOut"),
                         QStringLiteral("TimeOuter1"),
                         QStringLiteral("TimeOuter"),
                         QStringLiteral("Timer6"),
                         QStringLiteral("tmrEnd"),
                         QStringLiteral("timerToneReset"),
                         QStringLiteral("tmrDrawWave"),
                         QStringLiteral("tmrMoveTimeout"),
                         QStringLiteral("Timer1"),
                         QStringLiteral("Timer7")};
    const auto array = [&](const char* name, std::initializer_list<int> indices) {
        for (const int i : indices) {
            names << QStringLiteral("%1(%2)").arg(QLatin1String(name)).arg(i);
        }
    };
    const auto range = [&](const char* name, int last) {
        for (int i = 0; i <= last; ++i) {
            array(name, {i});
        }
    };
    array("btnMode", {0, 2, 3, 6});
    range("btnShowDot1", 16);
    range("ShowNumberDot", 46);
    range("Frame2", 2);
    range("SimpControl6", 2);
    range("MyScrollBar", 27);
    range("MyNumber", 25);
    range("MyButton", 7);
    for (const char* pair : {"btnStartModeI", "btnStartModeD", "btnSaveMode", "btnModeChange"}) {
        range(pair, 1);
    }
    QStringList problems;
    for (const QString& n : names) {
        if (design.Find(n) == nullptr) {
            problems << QStringLiteral("design data lacks %1").arg(n);
        }
    }
    return problems;
}

QStringList CheckBeds(const DesignForm& design, const SkinSet& skin) {
    // first user of each image, by the image that gives the control its size
    QMap<int, QString> firstUser;
    QStringList problems;
    const Beds beds(design, skin);
    for (const DesignControl& c : design.Controls) {
        int number = 0;
        if (c.Type == DesignType::SimpControl) {
            const QList<int> pics = c.IntListProperty(QStringLiteral("Pics"));
            number = pics.isEmpty() ? 0 : pics.first();
        } else if (c.Type == DesignType::ScrollBar || c.Type == DesignType::ShowNumber) {
            number = c.IntProperty(QStringLiteral("BackPic"));
        }
        if (number == 0 || !c.Visible || skin.Find(number) == nullptr) {
            continue;
        }
        if (!IsOpaque(skin.Image(number))) {
            problems << QStringLiteral("image %1 of %2 lets the control's BackColor show through")
                            .arg(number)
                            .arg(c.ObjectName());
        }
        if (!firstUser.contains(number)) {
            firstUser.insert(number, c.ObjectName());
            continue;
        }
        if (!beds.SameBed(firstUser[number], c.ObjectName(), style::DesignSize(skin.Image(number)))) {
            problems << QStringLiteral("image %1 is drawn for %2 but %3 sits on a different background")
                            .arg(number)
                            .arg(firstUser[number], c.ObjectName());
        }
    }
    // the high-cut look replaces the image of any point button
    for (const DesignControl& c : design.Controls) {
        if (c.ObjectName().startsWith(QLatin1String("btnShowDot1(")) &&
            skin.Find(skinnumbers::kHighCutPoint) != nullptr &&
            !beds.SameBed(QStringLiteral("btnShowDot1(0)"), c.ObjectName(),
                          style::DesignSize(skin.Image(skinnumbers::kHighCutPoint)))) {
            problems << QStringLiteral("image %1 does not fit the background of %2")
                            .arg(skinnumbers::kHighCutPoint)
                            .arg(c.ObjectName());
        }
    }
    return problems;
}

QMap<int, QSize> ReadSkinDirectory(const QString& dir, int scale) {
    QMap<int, QSize> sizes;
    const QString suffix = SkinFileName(0, scale).mid(1);
    const QRegularExpression name(QStringLiteral("^(\\d{3})") + QRegularExpression::escape(suffix) + '$');
    for (const QString& file : QDir(dir).entryList({QStringLiteral("*.png")}, QDir::Files)) {
        const QRegularExpressionMatch m = name.match(file);
        if (m.hasMatch()) {
            const QSize pixels = QImageReader(QDir(dir).filePath(file)).size();
            const bool whole = pixels.width() % scale == 0 && pixels.height() % scale == 0;
            sizes.insert(m.captured(1).toInt(), whole ? pixels / scale : QSize());
        }
    }
    return sizes;
}

QMap<int, QSize> SizesOf(const SkinSet& skin) {
    QMap<int, QSize> sizes;
    for (const auto& [number, entry] : skin.Images()) {
        sizes.insert(number, style::DesignSize(entry.image));
    }
    return sizes;
}

} // namespace korva::skingen
