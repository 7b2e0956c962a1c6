#pragma once
// The picture box of the main window. As Picture1 it shows the EQ graph: it paints the renderer's last
// frame (nothing is drawn here but that copy) and reports mouse, key and wheel input in canvas pixels.
// The wheel is ignored until the window hooks it when it is first shown or activated; from then on only
// single notches without buttons or modifier keys count, and every wheel event is kept from the parent.
// With a custom context menu (the tuning menu), a right-button press is the menu's alone.
// The frame is made at the view's device pixel ratio and painted at its logical size, one image pixel per
// device pixel.

#include <QColor>
#include <QImage>
#include <QWidget>

namespace korva {

class GraphView : public QWidget {
    Q_OBJECT
    // 0xRRGGBB filled under the frame.
    Q_PROPERTY(int BackColor READ BackColor WRITE SetBackColor)

public:
    explicit GraphView(QWidget* parent = nullptr);

    int BackColor() const { return backColor_; }
    void SetBackColor(int color);

    // The image painted at the top-left corner; it must outlive the view or be reset first.
    void SetFrame(const QImage* frame);

    void SetWheelHook(bool on) { wheelHooked_ = on; }
    bool WheelHooked() const { return wheelHooked_; }

signals:
    // button: 1 left, 2 right, 4 middle; shift: 1 Shift, 2 Ctrl, 4 Alt; x, y in canvas pixels.
    void MouseDown(int button, int shift, float x, float y);
    void MouseMove(int button, int shift, float x, float y);
    void MouseUp(int button, int shift, float x, float y);
    void DblClick();
    void KeyDown(int key, int shift);
    // One notch of the wheel; towardsUser is true for a notch towards the user.
    void WheelNotch(bool towardsUser);
    // The view has moved to a screen of another device pixel ratio, or its screen changed its ratio.
    void ScreenChanged();

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    int backColor_ = 0xFFFFFF;
    const QImage* frame_ = nullptr;
    bool wheelHooked_ = false;
};

} // namespace korva
