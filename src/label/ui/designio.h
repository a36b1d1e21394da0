#pragma once
#include "dccomponent.h"
#include "dcimage.h"
#include "dclabel.h"
#include "designpanel.h"

#include <QString>
#include <QWidget>
#include <functional>

// The label's size on the panel at the design scale, in whole millimetres as
// a layout file holds it; and the panel set to a label size.
TMmSize PanelSize(const QWidget& panel, quint8 scale);
void ResizePanel(QWidget& panel, TMmSize size, quint8 scale);

// The label objects of the panel in child order (back to front).
QList<TdcComponent*> DesignObjects(const QWidget* panel);

// A new object of a kind on the panel: a text or a picture.
TdcComponent* NewDesignObject(QWidget* panel, LayoutObjectKind kind, quint8 scale);

// What the designer hands to every object it creates or loads, and what it
// does before the first loaded object is selected (bring its toolbars to the
// state for no selection).
struct TDesignHooks {
    TdcComponent::Notify OnSelect;
    TdcComponent::Notify OnChange;
    TdcComponent::Notify OnDblClick;
    std::function<void()> BeforeSelectFirst;

    // Gives `object` the three handlers.
    void Adopt(TdcComponent& object) const;
};

// Writes the panel's size and objects into the layout file at `path`: erases
// LABEL1 to LABEL99 and IMAGE1 to IMAGE99, writes PANEL, then numbers labels
// and images separately in child order. Every other section and key of the
// file stays. False when the file cannot be read or written.
bool SaveDesign(const QWidget* panel, const QString& path, quint8 scale);

// Replaces the panel's objects and size by the layout file at `path`, read
// with the designer's defaults (a missing file gives an empty 100 × 50 mm
// label and counts as success). Images whose picture cannot be read are left
// out silently. The panel's order is the file's, pictures behind texts as
// they are printed. On success the first object is selected where it lies. False when the file
// exists but cannot be read; the panel is then left empty at the default size.
bool LoadDesign(QWidget* panel, const QString& path, quint8 scale, const TDesignHooks& hooks = {});
