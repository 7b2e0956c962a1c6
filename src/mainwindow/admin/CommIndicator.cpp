#include "mainwindow/admin/CommIndicator.h"

#include "design/Twips.h"
#include "link/CommLog.h"
#include "widgets/FixedPitchFont.h"

#include <QCloseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <algorithm>

namespace korva {

CommIndicator::CommIndicator(CommLog& log, QWidget* parent)
    : QWidget(parent, Qt::Window), log_(log), text1_(new QPlainTextEdit(this)),
      command1_(new QPushButton(this)), timer1_(new QTimer(this)) {
    setObjectName(QStringLiteral("CommIndicator"));
    setWindowTitle(QStringLiteral("通信指示器  双击清空显示并保存到文件"));
    text1_->setObjectName(QStringLiteral("Text1"));
    text1_->setReadOnly(true);
    text1_->setFont(FixedPitchFont());
    text1_->viewport()->installEventFilter(this);
    command1_->setObjectName(QStringLiteral("Command1"));
    command1_->setText(QStringLiteral("联机命令显示开关"));
    command1_->setCursor(Qt::ArrowCursor);
    timer1_->setObjectName(QStringLiteral("Timer1"));
    timer1_->setInterval(kRefreshMs);
    connect(timer1_, &QTimer::timeout, this, &CommIndicator::Refresh);
    connect(command1_, &QPushButton::clicked, this, [this]() { log_.SetLogSyncWords(!log_.LogSyncWords()); });
    resize(640, 420);
}

CommIndicator::~CommIndicator() {
    if (loaded_) {
        Unload();
    }
}

void CommIndicator::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!loaded_) {
        Load();
    }
}

void CommIndicator::closeEvent(QCloseEvent* event) {
    Unload();
    QWidget::closeEvent(event);
}

void CommIndicator::Load() {
    loaded_ = true;
    log_.SetLogSyncWords(true);
    log_.SetCommLogEnabled(true);
    log_.DeleteLogFile(); // each opening starts a new file
    shownLength_ = -1;
    timer1_->start();
    Refresh();
}

void CommIndicator::Unload() {
    loaded_ = false;
    timer1_->stop();
    log_.SetCommLogEnabled(false);
}

void CommIndicator::Refresh() {
    if (log_.CommLogText().length() == shownLength_) {
        return;
    }
    // A flush that fails keeps the text (and notes the failure in it), so nothing is lost.
    if (log_.CommLogText().length() > kFlushLength && log_.FlushToFile()) {
        text1_->clear();
    }
    QString shown = log_.CommLogText();
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text1_->setPlainText(shown);
    text1_->moveCursor(QTextCursor::End);
    text1_->ensureCursorVisible();
    shownLength_ = log_.CommLogText().length();
}

bool CommIndicator::eventFilter(QObject* watched, QEvent* event) {
    if (watched == text1_->viewport() && event->type() == QEvent::MouseButtonDblClick) {
        // The box empties on the next refresh.
        log_.FlushToFile();
    }
    return QWidget::eventFilter(watched, event);
}

void CommIndicator::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    LayOut();
}

void CommIndicator::LayOut() {
    // The text box follows the window's outer size, less the frame and caption.
    const QSize outer = frameGeometry().size();
    const int width = std::clamp(outer.width() - TwipsToPixels(100), 0, this->width());
    const int height = std::clamp(outer.height() - TwipsToPixels(350), 0, this->height());
    text1_->setGeometry(0, 0, width, height);
    // The switch floats over the top right corner, clear of the scroll bar.
    const QSize button = command1_->sizeHint();
    const int scrollBar = text1_->verticalScrollBar()->sizeHint().width();
    command1_->setGeometry(std::max(0, width - button.width() - scrollBar - 4), 4, button.width(),
                           button.height());
    command1_->raise();
}

} // namespace korva
