#include "mainwindow/MainControls.h"

#include "mainwindow/design/ControlRegistry.h"
#include "mainwindow/design/DesignLabel.h"
#include "mainwindow/graph/GraphView.h"
#include "widgets/C_ProgressBar.h"
#include "widgets/ScrollBar.h"
#include "widgets/ShowNumber.h"
#include "widgets/SimpControl.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QTimer>
#include <algorithm>
#include <initializer_list>

namespace korva {

namespace {

class Finder {
public:
    Finder(const ControlRegistry& registry, QString* error) : registry_(registry), error_(error) {}

    template <class T> void One(T*& field, const QString& name, const char* typeName) {
        field = registry_.Get<T>(name);
        if (!field) {
            Missing(name, typeName);
        }
    }

    template <class T>
    void Array(std::vector<T*>& field, const QString& name, const char* typeName, int count) {
        Members(field, name, typeName, count, {});
    }

    // Only the listed indices exist; the others stay nullptr.
    template <class T>
    void Members(std::vector<T*>& field, const QString& name, const char* typeName, int size,
                 std::initializer_list<int> only) {
        field.assign(size_t(size), nullptr);
        for (int i = 0; i < size; ++i) {
            if (only.size() > 0 && std::find(only.begin(), only.end(), i) == only.end()) {
                continue;
            }
            One(field[size_t(i)], ArrayMemberName(name, i), typeName);
        }
    }

    bool Ok() const { return ok_; }

private:
    void Missing(const QString& name, const char* typeName) {
        if (ok_ && error_) {
            *error_ = registry_.Find(name)
                          ? QStringLiteral("设计数据中的控件“%1”不是 %2").arg(name, QLatin1String(typeName))
                          : QStringLiteral("设计数据缺少控件“%1”（%2）").arg(name, QLatin1String(typeName));
        }
        ok_ = false;
    }

    const ControlRegistry& registry_;
    QString* error_;
    bool ok_ = true;
};

} // namespace

bool MainControls::Find(const ControlRegistry& registry, QString* error) {
    Finder f(registry, error);
    const char* simp = "SimpControl";
    const char* number = "ShowNumber";
    const char* slider = "ScrollBar";
    const char* timer = "Timer";
    f.Array(MyScrollBar, QStringLiteral("MyScrollBar"), slider, 28);
    f.Array(MyNumber, QStringLiteral("MyNumber"), number, 26);
    f.Array(MyButton, QStringLiteral("MyButton"), simp, 8);
    f.Array(ShowNumberDot, QStringLiteral("ShowNumberDot"), number, 47);
    f.Array(btnShowDot1, QStringLiteral("btnShowDot1"), simp, 17);
    f.Members(btnMode, QStringLiteral("btnMode"), simp, 8, {0, 2, 3, 6});
    f.Array(btnSaveMode, QStringLiteral("btnSaveMode"), simp, 2);
    f.Array(btnModeChange, QStringLiteral("btnModeChange"), simp, 2);
    f.Array(btnStartModeI, QStringLiteral("btnStartModeI"), simp, 2);
    f.Array(btnStartModeD, QStringLiteral("btnStartModeD"), simp, 2);
    f.Array(SimpControl6, QStringLiteral("SimpControl6"), simp, 3);
    f.Array(Frame2, QStringLiteral("Frame2"), "Frame", 3);

    const std::initializer_list<std::pair<SimpControl**, const char*>> buttons = {
        {&btnUp1, "btnUp1"},
        {&btnDown1, "btnDown1"},
        {&btnShowMode, "btnShowMode"},
        {&btnLeft1, "btnLeft1"},
        {&btnRight1, "btnRight1"},
        {&btnParaShow, "btnParaShow"},
        {&btnShowSub1, "btnShowSub1"},
        {&btnEQByPass, "btnEQByPass"},
        {&btnInput, "btnInput"},
        {&btnShowStartMode, "btnShowStartMode"},
        {&btnFBX, "btnFBX"},
        {&btnLock, "btnLock"},
        {&btnUp2, "btnUp2"},
        {&btnDown2, "btnDown2"},
        {&btnReset, "btnReset"},
        {&btnSave, "btnSave"},
        {&btnImport, "btnImport"},
        {&btnUpload, "btnUpload"},
        {&btnClose, "btnClose"},
        {&btnShowPointN, "btnShowPointN"},
        {&sLine1, "sLine1"},
        {&sLine2, "sLine2"},
        {&SimpControl2, "SimpControl2"},
        {&SimpControl4, "SimpControl4"},
        {&SimpControl7, "SimpControl7"},
        {&MShowProgress, "MShowProgress"},
    };
    for (const auto& [field, name] : buttons) {
        f.One(*field, QLatin1String(name), simp);
    }
    const std::initializer_list<std::pair<ScrollBar**, const char*>> knobs = {
        {&MKnobFreq, "MKnobFreq"}, {&MKnobDb, "MKnobDb"}, {&MKnobQ, "MKnobQ"}, {&ScrollTone, "ScrollTone"}};
    for (const auto& [field, name] : knobs) {
        f.One(*field, QLatin1String(name), slider);
    }
    f.One(C_ProgressBar1, QStringLiteral("C_ProgressBar1"), "C_ProgressBar");
    f.One(Frame1, QStringLiteral("Frame1"), "Frame");
    f.One(Picture1, QStringLiteral("Picture1"), "PictureBox");
    f.One(Text1, QStringLiteral("Text1"), "TextBox");
    f.One(Label1, QStringLiteral("Label1"), "Label");
    f.One(Check2, QStringLiteral("Check2"), "CheckBox");

    const std::initializer_list<std::pair<QTimer**, const char*>> timers = {
        {&CommConnect, "CommConnect"},
        {&tmrKeepConnect, "tmrKeepConnect"},
        {&tmrConnectTimeOut, "tmrConnectTimeOut"},
        {&TimeOuter, "TimeOuter"},
        {&TimeOuter1, "TimeOuter1"},
        {&timerToneReset, "timerToneReset"},
        {&tmrDrawWave, "tmrDrawWave"},
        {&tmrMoveTimeout, "tmrMoveTimeout"},
        {&tmrEnd, "tmrEnd"},
        {&Timer1, "Timer1"},
        {&Timer6, "Timer6"},
        {&Timer7, "Timer7"},
    };
    for (const auto& [field, name] : timers) {
        f.One(*field, QLatin1String(name), timer);
    }
    return f.Ok();
}

} // namespace korva
