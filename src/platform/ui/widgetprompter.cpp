#include "widgetprompter.h"

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>

namespace {

int Box(QWidget* parent, QMessageBox::Icon icon, const QString& text, QMessageBox::StandardButtons buttons,
        QMessageBox::StandardButton def) {
    QMessageBox box(icon, QApplication::applicationDisplayName(), text, buttons, parent);
    box.setDefaultButton(def);
    // Polish captions whatever translations the system has installed.
    const std::pair<QMessageBox::StandardButton, const char*> captions[] = {
        {QMessageBox::Ok, "OK"}, {QMessageBox::Cancel, "Anuluj"}, {QMessageBox::Yes, "&Tak"}, {QMessageBox::No, "&Nie"}};
    for (const auto& [button, caption] : captions)
        if (QAbstractButton* b = box.button(button)) b->setText(QString::fromUtf8(caption));
    QApplication::setOverrideCursor(Qt::ArrowCursor);
    const int result = box.exec();
    QApplication::restoreOverrideCursor();
    return result;
}

}  // namespace

void TWidgetPrompter::error(const QString& text) {
    Box(Parent, QMessageBox::Critical, text, QMessageBox::Ok, QMessageBox::Ok);
}

void TWidgetPrompter::info(const QString& text) {
    Box(Parent, QMessageBox::Information, text, QMessageBox::Ok, QMessageBox::Ok);
}

void TWidgetPrompter::warning(const QString& text) {
    Box(Parent, QMessageBox::Warning, text, QMessageBox::Ok, QMessageBox::Ok);
}

bool TWidgetPrompter::confirmOkCancel(const QString& text) {
    return Box(Parent, QMessageBox::Question, text, QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Ok) ==
           QMessageBox::Ok;
}

bool TWidgetPrompter::confirmYesNo(const QString& text) {
    return Box(Parent, QMessageBox::Question, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes) ==
           QMessageBox::Yes;
}

QString TWidgetPrompter::openFile(const QString& caption, const QString& folder, const QString& filter) {
    return QFileDialog::getOpenFileName(Parent, caption, folder, filter);
}

QString TWidgetPrompter::saveFile(const QString& caption, const QString& path, const QString& filter) {
    return QFileDialog::getSaveFileName(Parent, caption, path, filter);
}

QString TWidgetPrompter::chooseFolder(const QString& caption, const QString& folder) {
    return QFileDialog::getExistingDirectory(Parent, caption, folder);
}

std::optional<QString> TWidgetPrompter::askText(const QString& caption, const QString& label,
                                                const QString& initial) {
    bool ok = false;
    const QString text = QInputDialog::getText(Parent, caption, label, QLineEdit::Normal, initial, &ok);
    if (!ok) return std::nullopt;
    return text;
}

int TWidgetPrompter::runDialog(QObject& dialog) {
    auto* d = qobject_cast<QDialog*>(&dialog);
    return d ? d->exec() : QDialog::Rejected;
}
