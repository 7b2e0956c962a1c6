#include "widgets/AppStyle.h"

#include "widgets/SkinColours.h"

#include <QApplication>
#include <QPainter>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QStyleOption>

namespace korva {

namespace {

using namespace skincolours;

// Beside the skin's own colours: a button face, disabled text and text on amber of the same family.
constexpr QRgb kButtonFace = qRgb(0x36, 0x3a, 0x41);
constexpr QRgb kTextDisabled = qRgb(0x6b, 0x71, 0x7a);
constexpr QRgb kOnAmber = qRgb(0x15, 0x16, 0x19);

// Fusion outlines a check box a shade darker than the window, which vanishes on a dark palette: an
// unticked row of the menu editor would look like an empty one. This draws the outline light enough to
// see, keeping Fusion's focus outline.
class SkinStyle : public QProxyStyle {
public:
    SkinStyle() : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion"))) {}

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override {
        QProxyStyle::drawPrimitive(element, option, painter, widget);
        const bool checkBox = element == PE_IndicatorCheckBox || element == PE_IndicatorItemViewItemCheck;
        const bool focusShown = option->state.testFlags(State_HasFocus | State_KeyboardFocusChange);
        if (!checkBox || focusShown) {
            return;
        }
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing, true);
        painter->translate(0.5, 0.5);
        painter->setBrush(Qt::NoBrush);
        painter->setPen(QColor(option->state.testFlag(State_Enabled) ? kTextFaint : kEdgeLight));
        painter->drawRect(option->rect.adjusted(0, 0, -1, -1));
        painter->restore();
    }
};

} // namespace

QPalette SkinPalette() {
    QPalette p;
    const auto set = [&p](QPalette::ColorRole role, QRgb rgb) { p.setColor(role, QColor(rgb)); };
    set(QPalette::Window, kPlate);
    set(QPalette::WindowText, kText);
    set(QPalette::Base, kRecess);
    set(QPalette::AlternateBase, kBand);
    set(QPalette::Text, kText);
    set(QPalette::PlaceholderText, kTextDim);
    set(QPalette::Button, kButtonFace);
    set(QPalette::ButtonText, kText);
    set(QPalette::BrightText, kAmberLight);
    set(QPalette::ToolTipBase, kBand);
    set(QPalette::ToolTipText, kText);
    // Selections, focus frames and the default button carry the amber of the EQ curve, with dark text on
    // it: light text on amber would be hard to read.
    set(QPalette::Highlight, kAmber);
    set(QPalette::HighlightedText, kOnAmber);
    set(QPalette::Link, kAmberLight);
    set(QPalette::LinkVisited, kAmber);
    // Fusion draws its bevels and frames from these.
    set(QPalette::Light, kEdgeLight);
    set(QPalette::Midlight, kButtonFace);
    set(QPalette::Mid, kBand);
    set(QPalette::Dark, kEdgeDark);
    set(QPalette::Shadow, qRgb(0, 0, 0));

    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
        p.setColor(QPalette::Disabled, role, QColor(kTextDisabled));
    }
    p.setColor(QPalette::Disabled, QPalette::Base, QColor(kPlate));
    p.setColor(QPalette::Disabled, QPalette::Highlight, QColor(kEdgeLight));
    p.setColor(QPalette::Disabled, QPalette::HighlightedText, QColor(kTextDisabled));
    return p;
}

void ApplyAppStyle() {
    // Native dialogs would keep the platform's look.
    QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
    if (!dynamic_cast<SkinStyle*>(QApplication::style())) {
        QApplication::setStyle(new SkinStyle);
    }
    const QPalette palette = SkinPalette();
    if (QApplication::palette() != palette) {
        QApplication::setPalette(palette);
    }
}

} // namespace korva
