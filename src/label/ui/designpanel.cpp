#include "designpanel.h"

#include <QMouseEvent>
#include <QPalette>

TDesignPanel::TDesignPanel(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("plProjDesign"));
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
    setAutoFillBackground(true);
}

void TDesignPanel::mousePressEvent(QMouseEvent* event) {
    Pressed = event->button() == Qt::LeftButton;
    QWidget::mousePressEvent(event);
}

void TDesignPanel::mouseReleaseEvent(QMouseEvent* event) {
    const bool click = Pressed && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    Pressed = false;
    QWidget::mouseReleaseEvent(event);
    if (click) emit clicked();
}
