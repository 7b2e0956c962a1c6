#pragma once
// Moving between parameter groups, EQ channels, EQ points and the panels of the lower area. Only a group
// change is sent to the processor (command 4, when online); everything else changes the screen alone.

#include <QObject>

namespace korva {

struct WindowParts;

class Navigator : public QObject {
    Q_OBJECT
public:
    explicit Navigator(WindowParts& window);

    // Connects the navigation controls to the handlers below.
    void Connect();

    // Previous and next group (no wrap-around); the group is made the processor's active one when online,
    // even when it did not change.
    void btnUp1_Click();
    void btnDown1_Click();
    // Selects EQ channel i: its point grid, bypass binding and indicator.
    void btnMode_Click(int channel);
    // Previous and next EQ point, wrapping around.
    void btnLeft1_Click();
    void btnRight1_Click();
    // Shows the last chosen parameter panel instead of the point grid.
    void btnParaShow_Click();
    // A press on a panel background chooses the panel whose tab it hit; x, y in control pixels.
    void SimpControl6_MouseDown(int panel, float x, float y);

    // Makes point k the selected one and asks for a redraw.
    void SelectPoint(int k);

    // Shows parameter panel k (0..2) and hides the other two, as a press on its tab does.
    void ShowPanel(int panel);

    int VisiblePanel() const { return visiblePanel_; }

private:
    void ShowGroup(QWidget* pressed);
    // Selects point k and shows it on the knobs, the indicators and the graph.
    void SelectPointAndShow(int k);
    void BindPointGrid();

    WindowParts& window_;
    int visiblePanel_ = 0;
};

} // namespace korva
