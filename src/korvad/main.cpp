// korvad: every processor attached to this computer on the network, through an authenticated HTTP/JSON
// API with live events. QtCore and QtNetwork only: it runs as a system service without a display.
#include "korvad/Service.h"
#include "korvad/ServiceLog.h"
#include "korvad/ServiceOptions.h"
#include "korvad/StopSignals.h"
#include "korvad/TokenCommand.h"
#include "link/HidapiBackend.h"
#include "sim/VirtualRack.h"

#include <QCoreApplication>
#include <QJsonObject>
#include <cstdio>
#include <memory>

namespace {

using namespace korva;
using namespace korva::korvad;

// What the journal should show of the events: processors coming, going, online and offline.
void LogEvent(const QJsonObject& event) {
    const QString type = event.value(QStringLiteral("type")).toString();
    const QString who = QStringLiteral("%1（%2）")
                            .arg(event.value(QStringLiteral("processor")).toString(),
                                 event.value(QStringLiteral("device")).toString());
    if (type == QLatin1String("attached")) {
        Log(LogLevel::Info, QStringLiteral("发现处理器 %1").arg(who));
    } else if (type == QLatin1String("detached")) {
        Log(LogLevel::Info, QStringLiteral("处理器 %1 已移除").arg(who));
    } else if (type == QLatin1String("online")) {
        Log(LogLevel::Info, event.value(QStringLiteral("online")).toBool()
                                ? QStringLiteral("处理器 %1 已联机").arg(who)
                                : QStringLiteral("处理器 %1 已脱机").arg(who));
    }
}

int RunService(const ServiceOptions& options) {
    // Before any thread exists, so that every thread inherits the blocked signals.
    StopSignals stop;
    std::unique_ptr<HidBackend> backend;
    if (options.demoCount > 0) {
        auto rack = std::make_unique<sim::VirtualRack>(options.demoCount);
        for (int i = 0; i < rack->Count(); ++i) {
            rack->Processor(i).SetTimingModel(true);
        }
        backend = std::move(rack);
    } else {
        backend = std::make_unique<HidapiBackend>();
    }
    Service service(*backend, options);
    QObject::connect(&service.Events(), &EventHub::Sent, &service.Events(), LogEvent);
    QObject::connect(&stop, &StopSignals::Stop, QCoreApplication::instance(), [](int) {
        Log(LogLevel::Info, QStringLiteral("正在停止"));
        QCoreApplication::quit();
    });
    QString error;
    if (!service.Start(&error)) {
        Log(LogLevel::Error, error);
        return kExitFailure;
    }
    Log(LogLevel::Info, QStringLiteral("正在 %1://%2:%3 上提供服务%4（令牌目录 %5）")
                            .arg(options.UsesTls() ? QStringLiteral("https") : QStringLiteral("http"),
                                 options.address.toString())
                            .arg(service.Port())
                            .arg(options.demoCount > 0 ? QStringLiteral("，%1 台虚拟处理器").arg(options.demoCount)
                                                       : QString(),
                                 service.Tokens().StateDir()));
    return QCoreApplication::exec();
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("korvad"));
    QCoreApplication::setApplicationVersion(QStringLiteral(KORVA_VERSION));

    QStringList args = QCoreApplication::arguments();
    args.removeFirst();
    const ParsedServiceOptions parsed = ParseServiceOptions(args);
    if (!parsed.options) {
        Log(LogLevel::Error, parsed.error + QStringLiteral("\n用 korvad --help 查看用法。"));
        return kExitUsage;
    }
    const ServiceOptions& options = *parsed.options;
    if (options.help || options.version) {
        const QString text = options.help ? ServiceHelpText() : QStringLiteral("korvad " KORVA_VERSION "\n");
        std::fputs(text.toUtf8().constData(), stdout);
        return kExitOk;
    }
    if (!options.tokenAction.isEmpty()) {
        return RunTokenCommand(options);
    }
    return RunService(options);
}
