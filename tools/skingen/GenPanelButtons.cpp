#include "ButtonArt.h"
#include "Generators.h"
#include "design/SkinNumbers.h"

namespace korva::skingen {

using namespace style;

namespace {

ButtonArt Dim(const QString& text, double px = 13) {
    return ButtonArt{text, Icon::None, kTextDim, px};
}
ButtonArt Lit(const QString& text, double px = 13) {
    return ButtonArt{text, Icon::None, kAmber, px, true};
}

// Two images for a control whose value 1 marks it as the current one (the other of its pair shows 0).
void StateButton(SkinSet& skin, const Beds& beds, int number, const QString& control, const QString& text,
                 const QString& what, double px = 13) {
    const QImage bed = beds.Under(control, PixelRect(beds.Design(), control).size());
    skin.Add(number, DrawButton(bed, Dim(text, px), Face::Normal), what + QStringLiteral(", not current"),
             control + QStringLiteral(" value 0"));
    skin.Add(number + 1, DrawButton(bed, Lit(text, px), Face::Lit), what + QStringLiteral(", current (lit)"),
             control + QStringLiteral(" value 1"));
}

void Arrow(SkinSet& skin, const Beds& beds, int number, const QString& control, Icon icon,
           const QString& what) {
    const QImage bed = beds.Under(control, PixelRect(beds.Design(), control).size());
    const ButtonArt art{{}, icon, kText};
    skin.Add(number, DrawButton(bed, art, Face::Normal), what, control + QStringLiteral(" (normal)"));
    skin.Add(number + 1, DrawButton(bed, art, Face::Pressed), what + QStringLiteral(", pressed"),
             control + QStringLiteral(" (pressed)"));
}

} // namespace

void AddPanelButtons(SkinSet& skin, const Beds& beds) {
    // Switch pairs of the volume panel: the even button stands for value 0, the odd one for 1.
    const char* pairTexts[8] = {"ON", "OFF", "ON", "OFF", "ON", "OFF", "0°", "180°"};
    const char* pairWhat[4] = {"effect into centre", "effect into surround", "effect into recording",
                               "bass phase"};
    for (int i = 0; i < 8; ++i) {
        StateButton(skin, beds, skinnumbers::kRoutingButtons + 2 * i, QStringLiteral("MyButton(%1)").arg(i),
                    QString::fromUtf8(pairTexts[i]),
                    QString::fromUtf8(pairTexts[i]) + QStringLiteral(" (") +
                        QString::fromLatin1(pairWhat[i / 2]) + ')');
    }

    StateButton(skin, beds, skinnumbers::kSaveAuto, QStringLiteral("btnSaveMode(0)"),
                QStringLiteral("自动保存"), QStringLiteral("自动保存 (automatic save)"));
    StateButton(skin, beds, skinnumbers::kSaveManual, QStringLiteral("btnSaveMode(1)"),
                QStringLiteral("手动保存"), QStringLiteral("手动保存 (manual save)"));
    StateButton(skin, beds, skinnumbers::kModeKa, QStringLiteral("btnModeChange(0)"), QStringLiteral("Ka"),
                QStringLiteral("Ka (karaoke mode)"), 15);
    StateButton(skin, beds, skinnumbers::kModePa, QStringLiteral("btnModeChange(1)"), QStringLiteral("PA"),
                QStringLiteral("PA (PA mode)"), 15);

    Arrow(skin, beds, skinnumbers::kInputDown, QStringLiteral("btnStartModeI(0)"), Icon::Left,
          QStringLiteral("left arrow: previous input"));
    Arrow(skin, beds, skinnumbers::kInputUp, QStringLiteral("btnStartModeI(1)"), Icon::Right,
          QStringLiteral("right arrow: next input"));
    Arrow(skin, beds, skinnumbers::kStartGroupDown, QStringLiteral("btnStartModeD(0)"), Icon::Left,
          QStringLiteral("left arrow: previous power-on group"));
    Arrow(skin, beds, skinnumbers::kStartGroupUp, QStringLiteral("btnStartModeD(1)"), Icon::Right,
          QStringLiteral("right arrow: next power-on group"));

    // EQ point buttons of the grid: 0 normal, 1 selected.
    for (int c = 0; c < 15; ++c) {
        StateButton(skin, beds, skinnumbers::kPointButtons + 2 * c, QStringLiteral("btnShowDot1(%1)").arg(c),
                    QStringLiteral("EQ%1").arg(c + 1), QStringLiteral("point button EQ%1").arg(c + 1), 12);
    }
    StateButton(skin, beds, skinnumbers::kPointButtons + 30, QStringLiteral("btnShowDot1(15)"),
                QStringLiteral("高切"), QStringLiteral("point button 高切 (high-cut column)"), 12);
    StateButton(skin, beds, skinnumbers::kPointButtons + 32, QStringLiteral("btnShowDot1(16)"),
                QStringLiteral("低切"), QStringLiteral("point button 低切 (low-cut column)"), 12);
    // The high-cut look any point button takes when it stands for a high-cut filter.
    const QString first = QStringLiteral("btnShowDot1(0)");
    const QImage bed = beds.Under(first, PixelRect(beds.Design(), first).size());
    skin.Add(skinnumbers::kHighCutPoint, DrawButton(bed, Dim(QStringLiteral("高切"), 12), Face::Normal),
             QStringLiteral("point button 高切, not selected"),
             QStringLiteral("btnShowDot1(p) showing a high-cut point, value 0"));
    skin.Add(skinnumbers::kHighCutPoint + 1, DrawButton(bed, Lit(QStringLiteral("高切"), 12), Face::Lit),
             QStringLiteral("point button 高切, selected"),
             QStringLiteral("btnShowDot1(p) showing a high-cut point, value 1"));
}

} // namespace korva::skingen
