// dialog-shot [--out FOLDER]
//
// Renders the program's secondary windows off screen, in the program's look, into FOLDER (default: the
// current folder): log-window.png (the communication log after going online), dialog-password.png (the
// password dialog with a password typed), dialog-menu.png (the front-panel menu editor) and
// message-box.png. They are opened the way the program opens them: the keys "w" and "q" on the main
// window, online with the virtual processor.
#include "mainwindow/AppContext.h"
#include "mainwindow/QtMessageService.h"
#include "RecordingMessageService.h"
#include "mainwindow/admin/AdminActions.h"
#include "mainwindow/admin/CmdPassword.h"
#include "mainwindow/admin/CommIndicator.h"
#include "mainwindow/admin/MenuShowFrm.h"
#include "mainwindow/admin/PasswordHandlers.h"
#include "mainwindow/frmEQ.h"
#include "sim/VirtualProcessor.h"
#include "widgets/AppStyle.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLineEdit>
#include <cstdio>

using namespace korva;

namespace {

bool Save(QWidget& window, const QString& path) {
    if (!window.grab().save(path, "PNG")) {
        std::fprintf(stderr, "dialog-shot: cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

void PressKey(QWidget& window, Qt::Key key, const QString& text) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(&window, &press);
}

// Long enough for the log window's refresh timer to show what went over the link.
void LetTheLogCatchUp() {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 2 * CommIndicator::kRefreshMs) {
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    }
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ApplyAppStyle();
    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addOption({"out", "Folder for the PNG files.", "folder", "."});
    parser.process(app);
    const QDir out(parser.value("out"));

    RecordingMessageService messages;
    sim::VirtualProcessor device;
    AppContext context(messages, device);
    std::unique_ptr<frmEQ> window = frmEQ::Start(context, frmEQ::DefaultDesignText());
    if (!window) {
        return 1;
    }
    bool ok = true;
    window->Password().SetModalRunner([&](QDialog& dialog) {
        dialog.show();
        if (auto* password = qobject_cast<CmdPassword*>(&dialog)) {
            password->findChild<QLineEdit*>(QStringLiteral("Text1"))->setText(QStringLiteral("KORVA2024"));
            ok = Save(dialog, out.filePath("dialog-password.png")) && ok;
            password->Command1Click();
        } else {
            ok = Save(dialog, out.filePath("dialog-menu.png")) && ok;
        }
        dialog.reject();
    });

    PressKey(*window, Qt::Key_W, QStringLiteral("w"));
    if (!context.Link.Supervisor().GoOnline()) {
        std::fprintf(stderr, "dialog-shot: the virtual processor did not answer\n");
        return 1;
    }
    PressKey(*window, Qt::Key_Q, QStringLiteral("q"));
    LetTheLogCatchUp();
    CommIndicator* log = window->LogWindow();
    ok = log && Save(*log, out.filePath("log-window.png")) && ok;

    std::unique_ptr<QMessageBox> box = QtMessageService::MakeBox(QMessageBox::Warning, kMenuWrittenMessage,
                                                                 QString(), QMessageBox::Ok, window.get());
    box->show();
    ok = Save(*box, out.filePath("message-box.png")) && ok;
    return ok ? 0 : 1;
}
