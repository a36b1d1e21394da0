#include "designio.h"

#include "layout.h"
#include "silentfailure.h"
#include "units.h"

TMmSize PanelSize(const QWidget& panel, quint8 scale) { return ToMm(panel.size(), TResolution::Of(panel, scale)); }

void ResizePanel(QWidget& panel, TMmSize size, quint8 scale) {
    const QSize s = ToDots(size, TResolution::Of(panel, scale));
    panel.resize(qBound(0, s.width(), QWIDGETSIZE_MAX), qBound(0, s.height(), QWIDGETSIZE_MAX));
}

TdcComponent* NewDesignObject(QWidget* panel, LayoutObjectKind kind, quint8 scale) {
    if (kind == LayoutObjectKind::Image) return new TdcImage(panel, scale);
    return new TdcLabel(panel, scale);
}

void TDesignHooks::Adopt(TdcComponent& object) const {
    object.OnSelect = OnSelect;
    object.OnChange = OnChange;
    object.OnDblClick = OnDblClick;
}

QList<TdcComponent*> DesignObjects(const QWidget* panel) {
    QList<TdcComponent*> objects;
    if (!panel) return objects;
    for (QObject* child : panel->children())
        if (auto* c = qobject_cast<TdcComponent*>(child)) objects << c;
    return objects;
}

namespace {

// The panel as a layout: its size and its objects in child order.
TLabelLayout DesignLayout(const QWidget& panel, quint8 scale) {
    TLabelLayout layout;
    static_cast<TMmSize&>(layout) = PanelSize(panel, scale);
    for (const TdcComponent* c : DesignObjects(&panel)) layout.Objects.push_back(c->ToLayoutObject());
    return layout;
}

// A new object on the panel for one object of a layout; none for an image
// whose picture cannot be read.
TdcComponent* CreateDesignObject(QWidget* panel, const TLayoutObject& o, quint8 scale) {
    TdcComponent* object = NewDesignObject(panel, o.Kind, scale);
    object->FromLayoutObject(o);
    auto* image = qobject_cast<TdcImage*>(object);
    if (!image) return object;
    if (image->LoadError()) {
        // The layout loads without it; the file keeps its section until saved.
        SilentFailure(lcLabel, QStringLiteral("picture of the layout cannot be read: %1").arg(o.FileName));
        delete image;
        return nullptr;
    }
    // Pictures keep the file's order, behind every text, as they are printed.
    image->BringToFront();
    return image;
}

}  // namespace

bool SaveDesign(const QWidget* panel, const QString& path, quint8 scale) {
    if (!panel || path.isEmpty()) return false;
    return SaveLayoutFile(path, DesignLayout(*panel, scale));
}

bool LoadDesign(QWidget* panel, const QString& path, quint8 scale, const TDesignHooks& hooks) {
    if (!panel) return false;
    const QList<TdcComponent*> old = DesignObjects(panel);
    for (auto it = old.rbegin(); it != old.rend(); ++it) delete *it;

    const TLayoutDefaults defaults = DesignerLayoutDefaults();
    TLabelLayout layout;
    if (!LoadLayoutFile(path, defaults, layout)) {
        ResizePanel(*panel, defaults.Panel, scale);
        return false;
    }
    ResizePanel(*panel, layout, scale);
    for (const TLayoutObject& o : layout.Objects) {
        if (TdcComponent* object = CreateDesignObject(panel, o, scale)) hooks.Adopt(*object);
    }

    if (hooks.BeforeSelectFirst) hooks.BeforeSelectFirst();
    // Selected where it lies: the panel keeps the file's order, so a layout
    // saved again comes out byte for byte the same.
    const QList<TdcComponent*> loaded = DesignObjects(panel);
    if (!loaded.isEmpty()) loaded.first()->SetSelect(true, false);
    return true;
}
