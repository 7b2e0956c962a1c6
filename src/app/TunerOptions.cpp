#include "app/TunerOptions.h"

#include <QCommandLineParser>
#include <QCoreApplication>

namespace korva {

TunerOptions ParseTunerOptions(const QCoreApplication& app) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("KORVA 前级调音程序"));
    parser.addHelpOption();
    const QCommandLineOption device(QStringLiteral("device"),
                                    QStringLiteral("只连接这一台处理器（设备路径，如 /dev/hidraw3）；默认连接找到的第一台。"),
                                    QStringLiteral("PATH"));
    parser.addOption(device);
    parser.process(app);
    return {parser.value(device).toStdString()};
}

} // namespace korva
