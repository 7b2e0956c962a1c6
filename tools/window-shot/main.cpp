// window-shot [--out FOLDER] [--defaults] [--design FILE] [--skin FOLDER] [--scale 1|1.25|1.5|2]
//
// Renders the main window off screen at its design size (1582 x 900) and writes main-window.png (the EQ
// point grid) and main-window-panel0.png .. main-window-panel2.png (the three parameter panels) into
// FOLDER (default: the current folder). The corners outside the window's rounded shape are transparent.
// With --scale the display has that many device pixels per logical pixel (a display at 200 % for 2), and
// the files hold device pixels: 3164 x 1800 at 2.
// The window is online with the virtual processor and shows its tuned memory; with --defaults it stays
// offline and shows the factory defaults. By default the design data and skin compiled into the program
// are used.
// With --tuning MEASUREMENT [--target CURVE] it writes tuning-measurement.png instead: the EQ graph after
// loading the measurement on the music channel's factory settings, 自动均衡 and Enter (the measurement, the
// target, the measurement with the EQ applied and the fitted curve).
#include "mainwindow/AppContext.h"
#include "mainwindow/graph/GraphPresenter.h"
#include "mainwindow/editing/Navigator.h"
#include "mainwindow/tuning/TuningHandlers.h"
#include "model/ParamDefaults.h"
#include "RecordingMessageService.h"
#include "mainwindow/frmEQ.h"
#include "sim/VirtualProcessor.h"
#include "widgets/AppStyle.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QMenu>
#include <QPainter>
#include <cstdio>

using namespace korva;

namespace {

QImage Shot(frmEQ& window) {
    window.Graph().RedrawGraph();
    const double ratio = window.devicePixelRatioF();
    QImage image((QSizeF(window.size()) * ratio).toSize(), QImage::Format_ARGB32);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setClipRegion(window.mask().isEmpty() ? QRegion(window.rect()) : window.mask());
        window.render(&painter, QPoint(), QRegion(), QWidget::DrawWindowBackground | QWidget::DrawChildren);
    }
    return image;
}

bool Save(const QImage& image, const QString& path) {
    if (!image.save(path, "PNG")) {
        std::fprintf(stderr, "window-shot: cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

// The value of --scale, read before the application exists: Qt takes the display's scale from the
// environment at start. 0 for anything but the scales offered.
double ScaleArgument(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const QByteArray arg(argv[i]);
        QByteArray value;
        if (arg == "--scale" && i + 1 < argc) {
            value = argv[i + 1];
        } else if (arg.startsWith("--scale=")) {
            value = arg.mid(8);
        } else {
            continue;
        }
        for (const char* offered : {"1", "1.25", "1.5", "2"}) {
            if (value == offered) {
                return value.toDouble();
            }
        }
        return 0;
    }
    return 1;
}

// Answers the tuning's open dialogs with the files given on the command line.
class GivenFiles : public TuningFileDialogs {
public:
    GivenFiles(QString measurement, QString target) : measurement_(measurement), target_(target) {}
    QString ChooseMeasurementFile() override { return measurement_; }
    QString ChooseTargetFile() override { return target_; }
    QString ChooseFilterFileToOpen() override { return {}; }
    QString ChooseFilterFileToSave(FilterTextFormat&) override { return {}; }

private:
    QString measurement_;
    QString target_;
};

void TriggerMenu(frmEQ& window, const QString& text) {
    QMenu& menu = window.Tuning().Menu();
    emit menu.aboutToShow();
    for (QAction* action : menu.actions()) {
        if (action->text() == text) {
            action->trigger();
        }
    }
}

// The graph after fitting the music channel, from its factory settings, to the measurement.
bool TuningShot(frmEQ& window, RecordingMessageService& messages, GivenFiles& files, const QString& path) {
    AppContext& context = window.Context();
    InitParamDefaults(context.Model, false);
    window.Navigation().btnMode_Click(0);
    window.Tuning().SetFileDialogs(files);
    messages.QueueAnswer(!files.ChooseTargetFile().isEmpty());
    TriggerMenu(window, QStringLiteral("导入测量…"));
    TriggerMenu(window, QStringLiteral("自动均衡"));
    window.Tuning().Picture1_KeyDown(Qt::Key_Return, 0);
    for (const RecordingMessageService::Message& m : messages.Messages()) {
        std::fprintf(stderr, "window-shot: %s\n", qPrintable(m.Text));
    }
    if (!window.Tuning().State().Measurement || !messages.Messages().empty()) {
        return false;
    }
    window.Graph().RedrawGraph();
    return Save(window.Graph().Renderer().Frame(), path);
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    const double scale = ScaleArgument(argc, argv);
    if (scale <= 0) {
        std::fprintf(stderr, "window-shot: --scale takes 1, 1.25, 1.5 or 2\n");
        return 2;
    }
    qputenv("QT_SCALE_FACTOR", QByteArray::number(scale));
    QApplication app(argc, argv);
    ApplyAppStyle();
    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addOption({"scale", "Device pixels per logical pixel: 1, 1.25, 1.5 or 2.", "factor", "1"});
    parser.addOption({"out", "Folder for the PNG files.", "folder", "."});
    parser.addOption({"defaults", "Offline, with the factory defaults instead of the processor's memory."});
    parser.addOption({"design", "Design data file instead of the compiled-in one.", "file"});
    parser.addOption({"skin", "Folder of NNN.png skin images instead of the compiled-in skin.", "folder"});
    parser.addOption({"tuning", "Write tuning-measurement.png: the graph fitted to this measurement.", "file"});
    parser.addOption({"target", "With --tuning: the target curve (default flat).", "file"});
    parser.process(app);

    QString design = frmEQ::DefaultDesignText();
    if (parser.isSet("design")) {
        QFile file(parser.value("design"));
        if (!file.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "window-shot: cannot read %s\n", qPrintable(parser.value("design")));
            return 1;
        }
        design = QString::fromUtf8(file.readAll());
    }

    RecordingMessageService messages;
    sim::VirtualProcessor device;
    AppContext context(messages, device);
    context.Display.ScreenPx = QSize(1920, 1080); // the design size
    context.Display.DevicePixelRatio = scale;
    if (parser.isSet("skin")) {
        context.Skin.LoadSkinImages(parser.value("skin"), scale);
    }
    std::unique_ptr<frmEQ> window = frmEQ::Start(context, design);
    for (const RecordingMessageService::Message& m : messages.Messages()) {
        std::fprintf(stderr, "window-shot: %s\n", qPrintable(m.Text));
    }
    if (!window) {
        return 1;
    }
    if (!parser.isSet("defaults") && !context.Link.Supervisor().GoOnline()) {
        std::fprintf(stderr, "window-shot: the virtual processor did not answer\n");
        return 1;
    }
    const QDir out(parser.value("out"));
    if (parser.isSet("tuning")) {
        GivenFiles files(parser.value("tuning"), parser.value("target"));
        return TuningShot(*window, messages, files, out.filePath("tuning-measurement.png")) ? 0 : 1;
    }
    bool ok = Save(Shot(*window), out.filePath("main-window.png"));
    Navigator& navigation = window->Navigation();
    navigation.btnParaShow_Click();
    for (int panel = 0; panel < 3; ++panel) {
        navigation.ShowPanel(panel);
        ok = Save(Shot(*window), out.filePath(QStringLiteral("main-window-panel%1.png").arg(panel))) && ok;
    }
    return ok ? 0 : 1;
}
