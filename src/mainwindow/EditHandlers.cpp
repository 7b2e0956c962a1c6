#include "mainwindow/EditHandlers.h"

#include "mainwindow/MainControls.h"
#include "mainwindow/frmEQ.h"
#include "widgets/ScrollBar.h"
#include "widgets/SimpControl.h"

#include <QCheckBox>
#include <QTimer>

namespace korva {

EditHandlers::EditHandlers(frmEQ& window) : QObject(&window), window_(window) {}

void EditHandlers::Connect() {
    const MainControls& c = window_.Controls();
    for (size_t i = 0; i < c.MyScrollBar.size(); ++i) {
        connect(c.MyScrollBar[i], &ScrollBar::Change, this, [this, i] { MyScrollBar_Change(int(i)); });
    }
    for (size_t i = 0; i < c.MyButton.size(); ++i) {
        connect(c.MyButton[i], &SimpControl::Click, this, [this, i] { MyButton_Click(int(i)); });
    }
    for (int i = 0; i < 2; ++i) {
        connect(c.btnStartModeI[size_t(i)], &SimpControl::Click, this, [this, i] { btnStartModeI_Click(i); });
        connect(c.btnStartModeD[size_t(i)], &SimpControl::Click, this, [this, i] { btnStartModeD_Click(i); });
        connect(c.btnSaveMode[size_t(i)], &SimpControl::Click, this, [this, i] { btnSaveMode_Click(i); });
        connect(c.btnModeChange[size_t(i)], &SimpControl::Click, this, [this, i] { btnModeChange_Click(i); });
    }
    connect(c.btnUp2, &SimpControl::Click, this, &EditHandlers::btnUp2_Click);
    connect(c.btnDown2, &SimpControl::Click, this, &EditHandlers::btnDown2_Click);
    connect(c.btnEQByPass, &SimpControl::Click, this, &EditHandlers::btnEQByPass_Click);
    connect(c.btnReset, &SimpControl::Click, this, &EditHandlers::btnReset_Click);
    connect(c.SimpControl4, &SimpControl::Click, this, &EditHandlers::SimpControl4_Click);
    connect(c.SimpControl7, &SimpControl::Click, this, &EditHandlers::SimpControl7_Click);
    connect(c.btnUpload, &SimpControl::Click, this, &EditHandlers::btnUpload_Click);
    connect(c.Check2, &QCheckBox::clicked, this, &EditHandlers::Check2_Click);
    connect(c.Timer1, &QTimer::timeout, this, &EditHandlers::Timer1_Timer);
}

// Not built yet: the parameter editing of the panels.
void EditHandlers::MyScrollBar_Change(int) {}
void EditHandlers::MyButton_Click(int) {}
void EditHandlers::btnUp2_Click() {}
void EditHandlers::btnDown2_Click() {}
void EditHandlers::btnEQByPass_Click() {}
void EditHandlers::btnReset_Click() {}
void EditHandlers::Check2_Click() {}
void EditHandlers::Timer1_Timer() {}
void EditHandlers::SimpControl4_Click() {}
void EditHandlers::SimpControl7_Click() {}
void EditHandlers::btnStartModeI_Click(int) {}
void EditHandlers::btnStartModeD_Click(int) {}
void EditHandlers::btnSaveMode_Click(int) {}
void EditHandlers::btnModeChange_Click(int) {}
void EditHandlers::btnUpload_Click() {}

} // namespace korva
