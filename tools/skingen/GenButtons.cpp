#include "ButtonArt.h"
#include "Generators.h"
#include "SkinStyle.h"
#include "design/SkinNumbers.h"

namespace korva::skingen {

using namespace style;

namespace {

// A push button of the design data: normal look at `number`, pressed look at `number` + 1.
void PushButton(SkinSet& skin, const Beds& beds, int number, const QString& control, const ButtonArt& art,
                const QString& what) {
    const QSize size = PixelRect(beds.Design(), control).size();
    const QImage bed = beds.Under(control, size);
    skin.Add(number, DrawButton(bed, art, Face::Normal), what, control + QStringLiteral(" (normal)"));
    skin.Add(number + 1, DrawButton(bed, art, Face::Pressed), what + QStringLiteral(", pressed"),
             control + QStringLiteral(" (pressed)"));
}

// A button with two looks chosen by its value: 0 normal, 1 selected (lit).
void TwoStateButton(SkinSet& skin, const Beds& beds, int number, const QString& control, const ButtonArt& off,
                    const ButtonArt& on, const QString& what, const QString& states) {
    const QSize size = PixelRect(beds.Design(), control).size();
    const QImage bed = beds.Under(control, size);
    skin.Add(number, DrawButton(bed, off, Face::Normal), what,
             control + QStringLiteral(" value 0 (") + states.section('/', 0, 0) + ')');
    skin.Add(number + 1, DrawButton(bed, on, Face::Lit), what + QStringLiteral(", lit"),
             control + QStringLiteral(" value 1 (") + states.section('/', 1, 1) + ')');
}

QImage CloseButton(const QImage& bed, bool pressed) {
    Canvas canvas(bed);
    QPainter& p = canvas.painter;
    const QRectF r = canvas.Rect();
    if (pressed) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(qRgb(0xb8, 0x2a, 0x1e)));
        p.drawRoundedRect(r.adjusted(1, 1, -1, -1), 4, 4);
    }
    DrawIcon(p, Icon::Close, r.adjusted(0, pressed ? 1 : 0, 0, pressed ? 1 : 0),
             QColor(pressed ? kText : kTextDim));
    return canvas.Take();
}

// The glowing bar under the chosen channel button.
QImage ChannelIndicator(const QImage& bed) {
    Canvas canvas(bed);
    QPainter& p = canvas.painter;
    const QRectF r = canvas.Rect();
    QLinearGradient g(r.topLeft(), r.topRight());
    g.setColorAt(0, WithAlpha(kAmber, 0));
    g.setColorAt(0.15, WithAlpha(kAmber, 255));
    g.setColorAt(0.85, WithAlpha(kAmber, 255));
    g.setColorAt(1, WithAlpha(kAmber, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(WithAlpha(kAmber, 60));
    p.drawRoundedRect(r, 2, 2);
    p.setBrush(g);
    p.drawRoundedRect(r.adjusted(6, 1.5, -6, -1.5), 1, 1);
    return canvas.Take();
}

// Accent line above or below the selected-point read-out: amber online, grey offline.
QImage AccentLine(const QImage& bed, bool online) {
    Canvas canvas(bed);
    QPainter& p = canvas.painter;
    const QRectF r = canvas.Rect();
    QLinearGradient g(r.topLeft(), r.topRight());
    const QRgb c = online ? kAmber : kTextFaint;
    g.setColorAt(0, WithAlpha(c, 0));
    g.setColorAt(0.5, WithAlpha(c, online ? 255 : 160));
    g.setColorAt(1, WithAlpha(c, 0));
    p.fillRect(r.adjusted(0, 1, 0, -1), g);
    if (online) {
        QLinearGradient halo(r.topLeft(), r.topRight());
        halo.setColorAt(0, WithAlpha(kAmber, 0));
        halo.setColorAt(0.5, WithAlpha(kAmber, 70));
        halo.setColorAt(1, WithAlpha(kAmber, 0));
        p.fillRect(r, halo);
    }
    return canvas.Take();
}

} // namespace

void AddToolbarButtons(SkinSet& skin, const Beds& beds) {
    const DesignForm& d = beds.Design();
    const auto bedOf = [&](const QString& name) { return beds.Under(name, PixelRect(d, name).size()); };

    const QImage closeBed = bedOf(QStringLiteral("btnClose"));
    skin.Add(skinnumbers::kClose, CloseButton(closeBed, false),
             QStringLiteral("close cross on the title strip"), QStringLiteral("btnClose (normal)"));
    skin.Add(skinnumbers::kClose + 1, CloseButton(closeBed, true),
             QStringLiteral("close cross on red, pressed"), QStringLiteral("btnClose (pressed)"));

    struct Channel {
        int number;
        int index;
        const char* label;
    };
    const Channel channels[4] = {{skinnumbers::kModeMusic, 0, "音乐均衡"},
                                 {skinnumbers::kModeMic, 2, "话筒均衡"},
                                 {skinnumbers::kModeEffect, 3, "效果均衡"},
                                 {skinnumbers::kModeBass, 6, "超低均衡"}};
    for (const Channel& c : channels) {
        const QString text = QString::fromUtf8(c.label);
        TwoStateButton(skin, beds, c.number, QStringLiteral("btnMode(%1)").arg(c.index),
                       ButtonArt{text, Icon::None, kTextDim, 15},
                       ButtonArt{text, Icon::None, kAmber, 15, true},
                       QStringLiteral("channel button ") + text, QStringLiteral("not chosen/chosen"));
    }
    skin.Add(skinnumbers::kChannelIndicator, ChannelIndicator(bedOf(QStringLiteral("btnShowSub1"))),
             QStringLiteral("amber bar under the chosen channel button"),
             QStringLiteral("btnShowSub1 (moved under btnMode(i))"));
    TwoStateButton(skin, beds, skinnumbers::kPanelShow, QStringLiteral("btnParaShow"),
                   ButtonArt{QStringLiteral("参数面板"), Icon::None, kTextDim, 15},
                   ButtonArt{QStringLiteral("参数面板"), Icon::None, kAmber, 15, true},
                   QStringLiteral("parameter panel button 参数面板"),
                   QStringLiteral("grid shown/panel shown"));

    PushButton(skin, beds, skinnumbers::kGroupUp, QStringLiteral("btnUp1"), ButtonArt{{}, Icon::Up, kTextDim},
               QStringLiteral("small up arrow: previous parameter group"));
    PushButton(skin, beds, skinnumbers::kGroupDown, QStringLiteral("btnDown1"),
               ButtonArt{{}, Icon::Down, kTextDim}, QStringLiteral("small down arrow: next parameter group"));
    PushButton(skin, beds, skinnumbers::kFbxUp, QStringLiteral("btnUp2"), ButtonArt{{}, Icon::Up, kTextDim},
               QStringLiteral("small up arrow: lower FBX level"));
    PushButton(skin, beds, skinnumbers::kFbxDown, QStringLiteral("btnDown2"),
               ButtonArt{{}, Icon::Down, kTextDim}, QStringLiteral("small down arrow: higher FBX level"));
    PushButton(skin, beds, skinnumbers::kUndo, QStringLiteral("SimpControl4"),
               ButtonArt{{}, Icon::Undo, kText}, QStringLiteral("undo arrow"));
    PushButton(skin, beds, skinnumbers::kRedo, QStringLiteral("SimpControl7"),
               ButtonArt{{}, Icon::Redo, kText}, QStringLiteral("redo arrow"));
    PushButton(skin, beds, skinnumbers::kSave, QStringLiteral("btnSave"),
               ButtonArt{QStringLiteral("保存"), Icon::Save, kText, 13},
               QStringLiteral("保存: save a preset file"));
    PushButton(skin, beds, skinnumbers::kImport, QStringLiteral("btnImport"),
               ButtonArt{QStringLiteral("导入"), Icon::Import, kText, 13},
               QStringLiteral("导入: import a preset file"));
    PushButton(skin, beds, skinnumbers::kUpload, QStringLiteral("btnUpload"),
               ButtonArt{QStringLiteral("写入设备"), Icon::Upload, kText, 13},
               QStringLiteral("写入设备: store everything in the processor"));
    TwoStateButton(skin, beds, skinnumbers::kLock, QStringLiteral("btnLock"),
                   ButtonArt{QStringLiteral("未锁定"), Icon::Unlocked, kTextDim, 13},
                   ButtonArt{QStringLiteral("已锁定"), Icon::Locked, kAmber, 13, true},
                   QStringLiteral("processor lock"), QStringLiteral("unlocked/locked"));

    PushButton(skin, beds, skinnumbers::kPointLeft, QStringLiteral("btnLeft1"),
               ButtonArt{{}, Icon::Left, kText}, QStringLiteral("left arrow: previous EQ point"));
    PushButton(skin, beds, skinnumbers::kPointRight, QStringLiteral("btnRight1"),
               ButtonArt{{}, Icon::Right, kText}, QStringLiteral("right arrow: next EQ point"));
    const QString lineWhat = QStringLiteral("accent line of the selected-point read-out");
    skin.Add(skinnumbers::kLineAbove, AccentLine(bedOf(QStringLiteral("sLine1")), true),
             lineWhat + QStringLiteral(", amber"), QStringLiteral("sLine1 value 0 (online)"));
    skin.Add(skinnumbers::kLineAbove + 1, AccentLine(bedOf(QStringLiteral("sLine1")), false),
             lineWhat + QStringLiteral(", grey"), QStringLiteral("sLine1 value 1 (offline)"));
    skin.Add(skinnumbers::kLineBelow, AccentLine(bedOf(QStringLiteral("sLine2")), true),
             lineWhat + QStringLiteral(", amber"), QStringLiteral("sLine2 value 0 (online)"));
    skin.Add(skinnumbers::kLineBelow + 1, AccentLine(bedOf(QStringLiteral("sLine2")), false),
             lineWhat + QStringLiteral(", grey"), QStringLiteral("sLine2 value 1 (offline)"));
    const QImage bypassBed = bedOf(QStringLiteral("btnEQByPass"));
    skin.Add(
        skinnumbers::kBypass,
        DrawButton(bypassBed, ButtonArt{QStringLiteral("旁通"), Icon::None, kTextDim, 13, false, kRed, 1},
                   Face::Normal),
        QStringLiteral("旁通 toggle with its LED dark"), QStringLiteral("btnEQByPass value 0 (EQ in use)"));
    skin.Add(skinnumbers::kBypass + 1,
             DrawButton(bypassBed, ButtonArt{QStringLiteral("旁通"), Icon::None, kText, 13, false, kRed, 2},
                        Face::Pressed),
             QStringLiteral("旁通 toggle held in with its red LED lit"),
             QStringLiteral("btnEQByPass value 1 (bypassed)"));
    PushButton(skin, beds, skinnumbers::kReset, QStringLiteral("btnReset"),
               ButtonArt{QStringLiteral("复位"), Icon::Reset, kText, 13},
               QStringLiteral("复位: reset the channel's EQ"));
}

} // namespace korva::skingen
