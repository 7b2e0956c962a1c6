#pragma once
// The communication log window: shows the log live, flushes it to CommIndicator.txt on a double-click or
// when it grows past 60 000 characters. Modeless and a window of its own (no parent), so that it stays
// usable while the main window is locked; the main window opens it with the key "w" and closes it.

#include <QWidget>

class QPlainTextEdit;
class QPushButton;
class QTimer;

namespace korva {

class CommLog;

class CommIndicator : public QWidget {
    Q_OBJECT
public:
    static constexpr int kRefreshMs = 200;
    static constexpr int kFlushLength = 60000;

    // The log must outlive the window.
    explicit CommIndicator(CommLog& log, QWidget* parent = nullptr);
    ~CommIndicator() override;

    QPlainTextEdit& Text1() { return *text1_; }
    QPushButton& Command1() { return *command1_; }
    QTimer& Timer1() { return *timer1_; }
    bool IsLoaded() const { return loaded_; }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Load();
    void Unload();
    void Refresh();
    void LayOut();

    CommLog& log_;
    QPlainTextEdit* text1_;
    QPushButton* command1_;
    QTimer* timer1_;
    qsizetype shownLength_ = -1;
    bool loaded_ = false;
};

} // namespace korva
