#include "designertest.h"

#include "bitmapdialog.h"
#include "edittextform.h"
#include "sizeform.h"

#include <QApplication>
#include <QCursor>
#include <QImage>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace designertest {

void AnswerText(TScriptedPrompter& prompter, const std::optional<QString>& text) {
    prompter.answerDialog([text](QObject& d) {
        auto& form = dynamic_cast<TEditTextForm&>(d);
        if (!text) return int(QDialog::Rejected);
        form.edText->setText(*text);
        return form.btnOk->isEnabled() ? int(QDialog::Accepted) : int(QDialog::Rejected);
    });
}

void AnswerBitmap(TScriptedPrompter& prompter, const QString& path) {
    prompter.answerDialog([path](QObject& d) {
        auto& dialog = dynamic_cast<TBitmapDialog&>(d);
        if (path.isEmpty()) return int(QDialog::Rejected);
        dialog.selectFile(path);
        return int(QDialog::Accepted);
    });
}

void AnswerLabelSize(TScriptedPrompter& prompter, int heightSteps, int widthSteps, bool ok, QStringList* shown) {
    prompter.answerDialog([=](QObject& d) {
        auto& form = dynamic_cast<TSizeForm&>(d);
        if (shown) *shown << form.edHeight->text() << form.edWidth->text();
        form.edHeight->stepBy(heightSteps);
        form.edWidth->stepBy(widthSteps);
        if (shown) *shown << form.edHeight->text() << form.edWidth->text();
        return ok ? int(QDialog::Accepted) : int(QDialog::Rejected);
    });
}

void ClickAt(QWidget* w, QPoint p) {
    QCursor::setPos(w->mapToGlobal(p));
    QTest::mouseClick(w, Qt::LeftButton, Qt::NoModifier, p);
}

void DragObject(QWidget* w, QPoint from, QPoint to, int steps) {
    // The pointer's way on the panel; the object moves under it.
    const QPoint start = w->mapToParent(from);
    const QPoint end = w->mapToParent(to);
    QTest::mousePress(w, Qt::LeftButton, Qt::NoModifier, from);
    for (int i = 1; i <= steps; ++i) {
        const QPoint p = w->mapFromParent(start + (end - start) * i / steps);
        QMouseEvent e(QEvent::MouseMove, p, w->mapToGlobal(p), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(w, &e);
    }
    QTest::mouseRelease(w, Qt::LeftButton, Qt::NoModifier, w->mapFromParent(end));
}

void DragHandle(QWidget* w, QPoint handle, QPoint by) {
    QMouseEvent rest(QEvent::MouseMove, handle, w->mapToGlobal(handle), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(w, &rest);
    DragObject(w, handle, handle + by);
}

void Key(QWidget* w, Qt::Key key, Qt::KeyboardModifiers modifiers, bool autoRepeat) {
    QKeyEvent e(QEvent::KeyPress, key, modifiers, QString(), autoRepeat);
    QApplication::sendEvent(w, &e);
}

QString WritePicture(const QString& path, QSize size, QColor color, const char* format) {
    QImage img(size, QImage::Format_RGB32);
    img.fill(color);
    img.save(path, format);
    return path;
}

}  // namespace designertest
