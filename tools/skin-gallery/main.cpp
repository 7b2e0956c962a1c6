// skin-gallery OUTPUT.png
// Draws every kind of skinned control in its states with the skin compiled into the program: buttons at
// rest and pressed, digit displays, every slider and knob of the main window at its lowest, middle and
// highest position, and the progress bar. A control whose pictures are missing shows as an empty outline.

#include "GalleryCanvas.h"

#include "design/SkinNumbers.h"
#include "widgets/C_ProgressBar.h"
#include "widgets/ScrollBar.h"
#include "widgets/ShowNumber.h"
#include "widgets/SimpControl.h"
#include "widgets/SkinImages.h"

#include <QApplication>
#include <cstdio>

using namespace korva;
using korva::gallery::GalleryCanvas;

namespace {

// A control whose main picture the skin lacks still gets a visible cell.
const QSize kPlaceholder(48, 24);

void SizeWithoutPicture(QWidget& control, const SkinImages& skin, int picture) {
    if (!skin.HasImage(picture)) {
        control.resize(kPlaceholder);
    }
}

using namespace korva::skinnumbers;

struct ButtonSample {
    const char* name;
    int pic;
    const char* posX;
    const char* posY;
    int valueIndex;
    bool highCut;
};

// A sample of each kind of button of the main window, in both states, and the high-cut point marker.
const ButtonSample kButtons[] = {
    {"btnMode(0)", kModeMusic, "0", "0", 0, false},
    {"btnReset", kReset, "0", "0", 0, false},
    {"btnEQByPass", kBypass, "0", "0", 0, false},
    {"btnSave", kSave, "0", "0", 0, false},
    {"btnLock", kLock, "0", "0", 0, false},
    {"MyButton(0)", kRoutingButtons, "0", "0", 0, false},
    {"btnShowDot1(3)", kPointButtons + 2 * 3, "0", "0", 0, false},
    {"btnShowDot1 high-cut", kPointButtons, "0", "0", 0, true},
};

struct SliderSample {
    const char* name;
    int displayType;
    bool inverted;
    bool isQ;
    int maxValue;
    int minPos;
    int maxPos;
    int stableOtherPos;
    int backPic;
    int barPic;
};

// The sliders and knobs of the main window, one row per distinct design.
const SliderSample kSliders[] = {
    {"MyScrollBar(0)", 0, false, false, 127, 20, 209, 4, kEffectTrack, kThumb},
    {"MyScrollBar(1)", 0, false, false, 31, 20, 209, 4, kEffectTrack, kThumb},
    {"MyScrollBar(2)", 0, false, false, 80, 20, 209, 4, kEffectTrack, kThumb},
    {"MyScrollBar(3)", 1, true, false, 80, 20, 156, 4, kEffectTrackVertical, kThumb},
    {"MyScrollBar(4)", 1, true, false, 40, 20, 156, 4, kEffectTrackVertical, kThumb},
    {"MyScrollBar(5)", 1, true, false, 60, 20, 156, 4, kEffectTrackVertical, kThumb},
    {"MyScrollBar(6)", 1, true, false, 86, 20, 156, 4, kEffectTrackVertical, kThumb},
    {"MyScrollBar(7)", 1, true, false, 80, 18, 152, 2, kVolumeTrack, kVolumeThumb},
    {"MyScrollBar(8-16)", 1, true, false, 80, 18, 148, 2, kVolumeTrack, kVolumeThumb},
    {"MyScrollBar(17)", 0, false, false, 160, 28, 122, 3, kBalanceTrackMain, kBalanceThumb},
    {"MyScrollBar(18)", 0, false, false, 160, 28, 122, 3, kBalanceTrackSurround, kBalanceThumb},
    {"MyScrollBar(19)", 1, true, false, 80, 16, 124, 7, kLimitTrack, kThumb},
    {"MyScrollBar(20-24)", 1, true, false, 80, 16, 124, 6, kLimitTrack, kThumb},
    {"MyScrollBar(25-27)", 1, true, false, 80, 24, 280, 4, kMasterTrack, kThumb},
    {"MKnobFreq", 0, false, false, 241, 56, 256, 7, kKnobTrackFreq, kThumb},
    {"MKnobDb", 0, true, false, 150, 56, 256, 7, kKnobTrackDb, kThumb},
    {"MKnobQ", 0, false, true, 41, 56, 256, 7, kKnobTrackQ, kThumb},
    {"ScrollTone", 1, true, false, 10, 18, 310, 8, kToneTrack, kToneThumb},
};

void AddButtons(GalleryCanvas& canvas, const SkinImages& skin) {
    canvas.Section(QStringLiteral("SimpControl"));
    for (const ButtonSample& sample : kButtons) {
        for (int value : {0, 1}) {
            SimpControl button(skin);
            button.SetPics(QString::number(sample.pic));
            button.SetPosX(QString::fromLatin1(sample.posX));
            button.SetPosY(QString::fromLatin1(sample.posY));
            button.SetValueIndex(sample.valueIndex);
            button.SetUserHightCutPic(sample.highCut);
            button.SetValue(value);
            SizeWithoutPicture(button, skin, sample.pic);
            canvas.Add(button,
                       QStringLiteral("%1 %2").arg(QLatin1String(sample.name),
                                                   value ? QStringLiteral("pressed") : QStringLiteral("up")));
        }
    }
}

void AddDigitDisplays(GalleryCanvas& canvas, const SkinImages& skin) {
    canvas.Section(QStringLiteral("ShowNumber"));
    struct Sample {
        int value;
        bool div10;
    };
    for (const Sample& sample :
         {Sample{-55, true}, Sample{3, true}, Sample{250, true}, Sample{12345, false}}) {
        ShowNumber display(skin);
        display.SetPicNumber(kDigit0);
        display.SetDiv10(sample.div10);
        display.SetValue(sample.value);
        const int glyphWidth = skin.NaturalWidth(kDigit0);
        display.resize(int(display.Glyphs().size()) * glyphWidth + 8, display.height());
        SizeWithoutPicture(display, skin, kDigit0);
        canvas.Add(display, QStringLiteral("Value %1%2").arg(sample.value).arg(sample.div10 ? " Div10" : ""));
    }
}

void AddSliders(GalleryCanvas& canvas, const SkinImages& skin) {
    canvas.Section(QStringLiteral("ScrollBar"));
    for (const SliderSample& sample : kSliders) {
        for (int position : {0, sample.maxValue / 2, sample.maxValue}) {
            ScrollBar bar(skin);
            bar.SetBackPic(sample.backPic);
            bar.SetBarPic(sample.barPic);
            bar.SetChangeMinMax(sample.inverted);
            bar.SetDisplayType(sample.displayType);
            bar.SetIsQ(sample.isQ);
            bar.SetMinPos(sample.minPos);
            bar.SetMaxPos(sample.maxPos);
            bar.SetStableOtherPos(sample.stableOtherPos);
            bar.SetMaxValue(sample.maxValue);
            bar.SetValue(bar.Geometry().ValueAt(position));
            SizeWithoutPicture(bar, skin, sample.backPic);
            canvas.Add(bar, QStringLiteral("%1 = %2").arg(QLatin1String(sample.name)).arg(bar.Value()));
        }
    }
}

void AddProgressBars(GalleryCanvas& canvas) {
    canvas.Section(QStringLiteral("C_ProgressBar"));
    for (int done : {0, 12, 25}) {
        C_ProgressBar bar;
        bar.resize(300, C_ProgressBar::kMaxHeight);
        bar.SetMaxValue(25);
        bar.SetValue(done);
        canvas.Add(bar, QStringLiteral("%1 of 25").arg(done));
    }
}

} // namespace

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: skin-gallery OUTPUT.png\n");
        return 2;
    }
    SkinImages skin;
    if (!skin.LoadSkinImages()) {
        std::fprintf(stderr, "%s\n", qPrintable(skin.LastError()));
        return 1;
    }
    if (!skin.LastError().isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(skin.LastError()));
    }
    std::printf("%d skin images loaded\n", skin.LoadedCount());

    GalleryCanvas canvas(1600);
    AddButtons(canvas, skin);
    AddDigitDisplays(canvas, skin);
    AddSliders(canvas, skin);
    AddProgressBars(canvas);
    if (!canvas.Finish().save(QString::fromLocal8Bit(argv[1]), "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
