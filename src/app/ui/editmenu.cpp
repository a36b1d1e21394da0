#include "editmenu.h"

#include "goodspage.h"
#include "views.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPointer>
#include <QToolButton>

void CopyFromEdit(QLineEdit* edit) {
    if (!edit || !edit->hasSelectedText()) return;
    QGuiApplication::clipboard()->setText(edit->selectedText());
}

void PasteIntoEdit(QLineEdit* edit) {
    if (!edit || edit->isReadOnly()) return;
    const QString clip = QGuiApplication::clipboard()->text();
    const int caret = edit->hasSelectedText() ? edit->selectionStart() : edit->cursorPosition();
    const QString text = edit->text();
    edit->setText(text.left(caret) + clip + text.mid(caret));
    edit->setCursorPosition(edit->text().size());
}

namespace {

// The single-line edit box of `window` that had the focus last, also while a
// menu of the window is open.
class TEditFocusTracker : public QObject {
public:
    TEditFocusTracker(QWidget* window, QObject* parent) : QObject(parent), Window(window) {
        connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
            if (!now || qobject_cast<QMenu*>(now) || (now->windowType() == Qt::Popup)) return;
            Last = now;
        });
        Last = QApplication::focusWidget();
    }
    QLineEdit* Edit() const {
        QWidget* w = QApplication::focusWidget();
        if (!w || qobject_cast<QMenu*>(w) || w->windowType() == Qt::Popup) w = Last;
        auto* edit = qobject_cast<QLineEdit*>(w);
        if (!edit || !Window || edit->window() != Window->window()) return nullptr;
        return edit;
    }

private:
    QPointer<QWidget> Window;
    QPointer<QWidget> Last;
};

}  // namespace

void FillEditMenu(QMenu* menu, TGoodsPage* page, QWidget* window) {
    auto* tracker = new TEditFocusTracker(window, menu);
    const auto item = [&](const char* name, const QString& caption, auto action) {
        QAction* a = menu->addAction(caption);
        a->setObjectName(QLatin1String(name));
        QObject::connect(a, &QAction::triggered, page, action);
        return a;
    };
    QAction* first = item("Pierwszy1", QStringLiteral("Pierwszy"), [page] { page->First(); });
    QAction* prior = item("Poprzedni1", QStringLiteral("Poprzedni"), [page] { page->Prior(); });
    QAction* next = item("Nastpny1", QString::fromUtf8("Następny"), [page] { page->Next(); });
    QAction* last = item("Ostatni1", QStringLiteral("Ostatni"), [page] { page->Last(); });
    item("Dodaj1", QStringLiteral("Dodaj"), [page] { page->InsertRecord(); });
    QAction* del = item("Usu1", QString::fromUtf8("Usuń"), [page] { page->DeleteRecord(); });
    item("Edytuj1", QStringLiteral("Edytuj"), [page] { page->EditRecord(); });
    menu->addSeparator();
    QMenu* show = menu->addMenu(QString::fromUtf8("Pokaż"));
    show->setObjectName(QStringLiteral("Poka1"));
    QMenu* mark = menu->addMenu(QStringLiteral("Zaznacz"));
    mark->setObjectName(QStringLiteral("Zaznacz1"));
    // Both submenus list the views of the view box, in its order.
    const char* const views[] = {"Wszystkie", "Zmienione", "Niedrukowane", "Drukowane ostatnio", "Obniżone"};
    for (int i = 0; i < int(std::size(views)); ++i) {
        QAction* s = show->addAction(QString::fromUtf8(views[i]));
        QObject::connect(s, &QAction::triggered, page, [page, i] { page->ShowView(i); });
        QAction* m = mark->addAction(QString::fromUtf8(views[i]));
        QObject::connect(m, &QAction::triggered, page, [page, type = ViewCodeOfItem(i)] { page->SelectWithType(type); });
    }
    QAction* uncheck = item("Odznaczwszystkie1", QStringLiteral("Odznacz wszystkie"), [page] { page->ClearAllSelections(true); });
    menu->addSeparator();
    QAction* copy = menu->addAction(QStringLiteral("Kopiuj"));
    copy->setObjectName(QStringLiteral("Kopiuj1"));
    QAction* paste = menu->addAction(QStringLiteral("Wklej"));
    paste->setObjectName(QStringLiteral("Wklej1"));
    QObject::connect(copy, &QAction::triggered, menu, [tracker] { CopyFromEdit(tracker->Edit()); });
    QObject::connect(paste, &QAction::triggered, menu, [tracker] { PasteIntoEdit(tracker->Edit()); });

    QObject::connect(menu, &QMenu::aboutToShow, menu, [=] {
        const bool atBeginning = page->AtBeginning();
        const bool atEnd = page->AtEnd();
        first->setEnabled(!atBeginning);
        prior->setEnabled(!atBeginning);
        next->setEnabled(!atEnd);
        last->setEnabled(!atEnd);
        del->setEnabled(!page->IsEmpty());
        QLineEdit* edit = tracker->Edit();
        copy->setEnabled(edit && edit->hasSelectedText());
        const QMimeData* clip = QGuiApplication::clipboard()->mimeData();
        paste->setEnabled(edit && !edit->isReadOnly() && clip && clip->hasText());
        uncheck->setEnabled(page->sbtnUnCheckAll->isEnabled());
    });
}
