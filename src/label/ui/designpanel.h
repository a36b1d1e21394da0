#pragma once
#include <QWidget>

// The white panel that carries the label objects (`plProjDesign`). Any QWidget
// can serve as the panel; this one adds the white background and a click
// notification for placing new objects.
class TDesignPanel : public QWidget {
    Q_OBJECT
public:
    explicit TDesignPanel(QWidget* parent = nullptr);

signals:
    // A left press and release on the panel itself (not on an object).
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool Pressed = false;
};
