// The designer's commands on the whole layout: zoom, label size, open, save
// and save as, and the dialogs they use.
#include "designpage.h"

#include "bitmapdialog.h"
#include "datafolder.h"
#include "dccomponent.h"
#include "designhistory.h"
#include "designio.h"
#include "designpanel.h"
#include "edittextform.h"
#include "layoutpaths.h"
#include "prompter.h"
#include "settings.h"
#include "sizeform.h"
#include "units.h"

#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QUndoStack>

namespace {

const char* const kLayoutFilter = "Pliki wyglądu etykiety (*.etk)";

// The dialogs start in "LABELS" with the current file's name.
QString StartPath(const QString& current) {
    return LayoutsFolder() + QFileInfo(current.trimmed()).fileName();
}

}  // namespace

void TDesignPage::ZoomBy(bool up) {
    FinishGesture();
    const int old = Scale();
    const int now = up ? old + 1 : old - 1;
    if (now < 1 || now > 5) return;
    tbZoomIn->setEnabled(now < 5);
    tbZoomOut->setEnabled(now > 1);
    Settings.Scale = static_cast<std::uint8_t>(now);
    // Truncated before multiplying, like every object: a pixel or two may go.
    plProjDesign->resize(Rescale(plProjDesign->size(), old, now));
    for (TdcComponent* c : DesignObjects(plProjDesign)) c->SetScale(static_cast<quint8>(now));
    UpdateStatus();
}

void TDesignPage::tbLabelSizeClick() {
    FinishGesture();
    const TMmSize size = PanelSize(*plProjDesign, Scale());
    int w = size.Width.Value();
    int h = size.Height.Value();
    if (!AskLabelSize(h, w)) return;
    const TDesignState before = Steps->Capture();
    // The objects stay where they are, also outside the new size.
    ResizePanel(*plProjDesign, {TMm(w), TMm(h)}, Scale());
    Changed(before, QStringLiteral("Rozmiar etykiety"));
}

void TDesignPage::tbOpenClick() {
    FinishGesture();
    // Whatever the answer, opening goes on.
    if (LayoutModified) emit SaveQuestion();
    const QString path = Prompter::current().openFile(QString::fromUtf8("Otwórz plik wyglądu etykiety..."),
                                                      StartPath(Settings.LabelFileName),
                                                      QString::fromUtf8(kLayoutFilter));
    if (path.isEmpty()) return;
    // Named before loading: after a failed open, Save writes this file.
    Settings.LabelFileName = path;
    if (!LoadDesign(path)) {
        Prompter::current().error(QString::fromUtf8("Wystąpił błąd podczas odczytu pliku: \"%1\".").arg(path));
        return;
    }
    edLabelFileName->setText(LayoutDisplayName(path));
    LayoutModified = false;
}

void TDesignPage::tbSaveClick() {
    FinishGesture();
    const QString name = Settings.LabelFileName;
    if (name.trimmed().isEmpty()) {
        tbSaveAsClick();
        return;
    }
    if (!SaveDesign(LayoutFullPath(name))) {
        Prompter::current().error(QString::fromUtf8("Wystąpił błąd podczas zapisu pliku: \"%1\".").arg(name));
        return;
    }
    LayoutModified = false;
    Steps->Stack.setClean();
}

void TDesignPage::tbSaveAsClick() {
    FinishGesture();
    QString path = Prompter::current().saveFile(QString::fromUtf8("Zapisz plik wyglądu etykiety jako..."),
                                                StartPath(Settings.LabelFileName), QString::fromUtf8(kLayoutFilter));
    if (path.isEmpty()) return;
    // The default extension; the dialog asked about the name as typed.
    if (QFileInfo(path).suffix().isEmpty()) {
        path += QStringLiteral(".etk");
        if (QFileInfo::exists(path) &&
            !Prompter::current().confirmYesNo(
                QString::fromUtf8("Plik \"%1\" już istnieje.\nCzy chcesz go zastąpić?").arg(path)))
            return;
    }
    if (!SaveDesign(path)) {
        Prompter::current().error(QString::fromUtf8("Wystąpił błąd podczas zapisu pliku: \"%1\".").arg(path));
        return;
    }
    Settings.LabelFileName = path;
    edLabelFileName->setText(LayoutDisplayName(path));
    LayoutModified = false;
    Steps->Stack.setClean();
}

QString TDesignPage::ChooseBitmap() {
    TBitmapDialog dialog(GetDataFolder(), this);
    if (Prompter::current().runDialog(dialog) != QDialog::Accepted) return {};
    return dialog.ChosenFile();
}

QString TDesignPage::AskText(const QString& initial) {
    TEditTextForm form(initial, this);
    // OK is disabled while the text is blank.
    if (Prompter::current().runDialog(form) != QDialog::Accepted || !form.btnOk->isEnabled()) return {};
    return form.edText->text();
}

bool TDesignPage::AskLabelSize(int& height, int& width) {
    TSizeForm form(height, width, this);
    if (Prompter::current().runDialog(form) != QDialog::Accepted) return false;
    height = form.edHeight->Value();
    width = form.edWidth->Value();
    return true;
}
