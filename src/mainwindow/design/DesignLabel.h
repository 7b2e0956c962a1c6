#pragma once
// A label of the design data: plain text, and the mouse reported like the skinned controls report it
// (Label1 is the window's resize grip).

#include <QLabel>

namespace korva {

class DesignLabel : public QLabel {
    Q_OBJECT
public:
    explicit DesignLabel(QWidget* parent = nullptr);

signals:
    // button: held buttons (1 left, 2 right, 4 middle); shift: 1 Shift, 2 Ctrl, 4 Alt; x, y in pixels.
    void MouseDown(int button, int shift, float x, float y);
    void MouseMove(int button, int shift, float x, float y);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
};

} // namespace korva
