#include "LinkFuzzWorld.h"

#include "FuzzSupport.h"

#include "link/FrameProtocol.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QLoggingCategory>
#include <QTimer>

namespace korva::fuzz {

namespace {

// Where the communication log would be written; no fuzz script opens the log window, so it stays empty.
QString LogFolder() {
    static QTemporaryDir dir;
    return dir.path();
}

} // namespace

LinkFuzzWorld::LinkFuzzWorld(HidBackend& backend) : link(backend, model, messages, LogFolder()) {
    ui.Listen(link);
    InitParamDefaults(model, false);
    // The scripts drive the transport's polls themselves.
    link.Usb().SetAutoReadData(false);
}

int PickCommand(uint8_t selector) {
    static const int commands[] = {
        kCmdWriteRecord,   kCmdReadBlock,      kCmdWriteBlock,   kCmdFinishDownload, kCmdSelectGroup,
        kCmdReadMenuBlock, kCmdWriteMenuBlock, kCmdReadPassword, kCmdWritePassword,  kCmdHandshake};
    return commands[selector % std::size(commands)];
}

void ExpireRunningTimeOut(Communications& comm) {
    for (QTimer* timer : {&comm.TimeOuter1(), &comm.TimeOuter()}) {
        if (timer->isActive()) {
            // Fired here and now, so the script decides exactly what happens before and after it.
            timer->stop();
            QMetaObject::invokeMethod(timer, "timeout", Qt::DirectConnection);
            return;
        }
    }
}

bool RunWhileCommandWaits(Communications& comm, const std::function<bool()>& step,
                          const std::function<bool()>& command) {
    bool finished = false;
    QEventLoop* afterCommand = nullptr;
    QObject context;
    bool stepsDone = false;
    std::function<void()> pass = [&]() {
        if (stepsDone) {
            finished = true;
            if (comm.LinkBusy()) {
                comm.BeginClosing();
            }
            if (afterCommand) {
                afterCommand->quit();
            }
            return;
        }
        // The next pass is queued first: this step may block in a command of its own.
        QTimer::singleShot(0, &context, pass);
        stepsDone = !step();
    };
    QTimer::singleShot(0, &context, pass);
    const bool result = command();
    if (!finished) {
        QEventLoop loop;
        afterCommand = &loop;
        loop.exec();
        afterCommand = nullptr;
    }
    return result;
}

void CheckAnswer(const Communications& comm, bool succeeded) {
    Check(comm.Scanner().RxCount() >= 0 && comm.Scanner().RxCount() <= FrameScanner::kRxBufferSize,
          "receive buffer count out of range");
    if (succeeded) {
        const QByteArray answer = comm.Answer();
        Check(answer.size() == comm.AnswerLength(), "answer of the wrong length");
        Check(HasValidChecksum(answer), "answer with a bad checksum accepted");
    }
}

} // namespace korva::fuzz

// libFuzzer calls this once before the first input: the event loops of the link need an application.
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    static QCoreApplication app(*argc, *argv);
    // The transport's advice for a device it may not open would flood the fuzzer's output.
    QLoggingCategory::setFilterRules(QStringLiteral("default.warning=false"));
    return 0;
}
