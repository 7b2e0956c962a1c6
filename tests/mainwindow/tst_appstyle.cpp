// One look in every window: the program's palette reaches the log window, the password dialog, the menu
// editor, message boxes, file dialogs and the standard controls inside the main window, all opened the way
// the program opens them (real design data and skin), and each is drawn dark with readable text.
#include "AdminTestDoubles.h"
#include "TestWorld.h"

#include "mainwindow/QtMessageService.h"
#include "mainwindow/admin/CommIndicator.h"
#include "mainwindow/admin/PasswordHandlers.h"
#include "mainwindow/presets/PresetFileDialogs.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QFontInfo>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <algorithm>
#include <cmath>

using namespace korva;
using korva::test::TestWorld;
using korva::testing::DialogScript;

namespace {

// Relative luminance of a colour, as contrast ratios are defined on it.
double Luminance(QColor c) {
    const auto channel = [](double v) {
        return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
}

double Contrast(QColor a, QColor b) {
    const double la = Luminance(a);
    const double lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// What a test sees of one window or control: the palette it draws with, its picture and its font.
struct Seen {
    QPalette palette;
    QImage shot;
    QFontInfo font{QFont()};
};

Seen Look(QWidget& widget, QWidget* shotOf = nullptr, QRect area = QRect(QPoint(0, 0), QSize(-1, -1))) {
    QWidget& shown = shotOf ? *shotOf : widget;
    return {widget.palette(), shown.grab(area).toImage(), widget.fontInfo()};
}

struct World : TestWorld {
    World() {
        Context.Skin.LoadSkinImages();
        QVERIFY2(Load(frmEQ::DefaultDesignText()), qPrintable(Error));
        Window->Password().SetModalRunner([this](QDialog& d) { script(d); });
        Window->show();
    }
    DialogScript script;
};

Seen OpenAndLook(World& w, const QString& which) {
    const MainControls& c = w.C();
    if (which == u"log") {
        QTest::keyClick(w.Window.get(), Qt::Key_W);
        CommIndicator* log = w.Window->LogWindow();
        Seen seen = Look(*log);
        seen.font = log->Text1().fontInfo();
        return seen;
    }
    if (which == u"password" || which == u"menu") {
        Seen seen;
        w.script.password = [&](CmdPassword& d) {
            if (which == u"password") {
                seen = Look(d);
                return;
            }
            d.findChild<QLineEdit*>(QStringLiteral("Text1"))->setText(QStringLiteral("KORVA2024"));
            d.Command1Click();
        };
        w.script.editor = [&](MenuShowFrm& d) { seen = Look(d); };
        if (!w.GoOnline()) {
            return seen;
        }
        QTest::keyClick(w.Window.get(), Qt::Key_Q);
        return seen;
    }
    if (which == u"message") {
        std::unique_ptr<QMessageBox> box =
            QtMessageService::MakeBox(QMessageBox::Warning, QStringLiteral("未联机时，此项不可用"), QString(),
                                      QMessageBox::Ok, w.Window.get());
        box->show();
        return Look(*box);
    }
    if (which == u"file") {
        std::unique_ptr<QFileDialog> dialog =
            MakePresetFileDialog(PresetDialogKind::Save, w.Window.get(), QDir::tempPath());
        dialog->show();
        return Look(*dialog);
    }
    if (which == u"check box") {
        // It has no background of its own: it is seen over the title strip.
        return Look(*c.Check2, w.Window.get(), c.Check2->geometry());
    }
    c.Text1->setText(QStringLiteral("1.25k"));
    c.Text1->show();
    return Look(*c.Text1);
}

} // namespace

class TstAppStyle : public QObject {
    Q_OBJECT
private slots:
    void paletteReachesEveryWindow_data() {
        QTest::addColumn<QString>("which");
        QTest::addColumn<bool>("monospaced");
        QTest::newRow("log window") << "log" << true;
        QTest::newRow("password dialog") << "password" << false;
        QTest::newRow("menu editor") << "menu" << false;
        QTest::newRow("message box") << "message" << false;
        QTest::newRow("file dialog") << "file" << false;
        QTest::newRow("frame-rate check box") << "check box" << false;
        QTest::newRow("numeric entry") << "entry" << false;
    }

    void paletteReachesEveryWindow() {
        QFETCH(QString, which);
        QFETCH(bool, monospaced);
        World w;
        const Seen seen = OpenAndLook(w, which);
        QVERIFY2(!seen.shot.isNull(), "the window did not open");

        const QPalette skin = SkinPalette();
        for (QPalette::ColorRole role : {QPalette::Window, QPalette::Base, QPalette::Highlight}) {
            QCOMPARE(seen.palette.color(role), skin.color(role));
        }
        const QPalette& p = seen.palette;
        QVERIFY(Contrast(p.color(QPalette::WindowText), p.color(QPalette::Window)) >= 7);
        QVERIFY(Contrast(p.color(QPalette::Text), p.color(QPalette::Base)) >= 7);
        QVERIFY(Contrast(p.color(QPalette::ButtonText), p.color(QPalette::Button)) >= 7);
        QVERIFY(Contrast(p.color(QPalette::HighlightedText), p.color(QPalette::Highlight)) >= 7);

        // Drawn dark (no light-grey standard surfaces), with light text on it.
        std::vector<double> luminance;
        for (int y = 0; y < seen.shot.height(); ++y) {
            for (int x = 0; x < seen.shot.width(); ++x) {
                luminance.push_back(Luminance(seen.shot.pixelColor(x, y)));
            }
        }
        std::nth_element(luminance.begin(), luminance.begin() + qsizetype(luminance.size() / 2),
                         luminance.end());
        QVERIFY2(luminance[luminance.size() / 2] < 0.05,
                 qPrintable(QString::number(luminance[luminance.size() / 2])));
        const auto light =
            std::count_if(luminance.begin(), luminance.end(), [](double l) { return l > 0.4; });
        QVERIFY2(light >= 20, qPrintable(QString::number(light)));

        if (monospaced) {
            QVERIFY2(seen.font.fixedPitch(), qPrintable(seen.font.family()));
        }
    }
};

QTEST_MAIN(TstAppStyle)
#include "tst_appstyle.moc"
