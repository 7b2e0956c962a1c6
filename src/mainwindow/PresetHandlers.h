#pragma once
// The preset buttons of the main window: save the parameter image to a *.PA file and import one.

#include <QObject>

namespace korva {

class frmEQ;

class PresetHandlers : public QObject {
    Q_OBJECT
public:
    explicit PresetHandlers(frmEQ& window);

    void Connect();

    void btnSave_Click();
    void btnImport_Click();

private:
    frmEQ& window_;
};

} // namespace korva
