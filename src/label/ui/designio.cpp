#include "designio.h"

#include "inifile.h"
#include "layout.h"
#include "units.h"

#include <QFileInfo>

QList<TdcComponent*> DesignObjects(const QWidget* panel) {
    QList<TdcComponent*> objects;
    if (!panel) return objects;
    for (QObject* child : panel->children())
        if (auto* c = qobject_cast<TdcComponent*>(child)) objects << c;
    return objects;
}

bool SaveDesign(const QWidget* panel, const QString& path, quint8 scale) {
    if (!panel || path.isEmpty()) return false;
    TIniFile ini(path);
    if (ini.ReadFailed() || QFileInfo(path).isDir()) return false;
    EraseLayoutSections(ini);
    WriteLayoutPanel(ini, PixelsToMmX(*panel, panel->width(), scale), PixelsToMmY(*panel, panel->height(), scale));
    TLayoutNumbering numbering;
    for (TdcComponent* c : DesignObjects(panel)) {
        if (qobject_cast<TdcLabel*>(c))
            c->SaveToIni(ini, numbering.Next(LayoutObjectKind::Label));
        else if (qobject_cast<TdcImage*>(c))
            c->SaveToIni(ini, numbering.Next(LayoutObjectKind::Image));
    }
    return ini.UpdateFile();
}

bool LoadDesign(QWidget* panel, const QString& path, quint8 scale, const TDesignHooks& hooks) {
    if (!panel) return false;
    const QList<TdcComponent*> old = DesignObjects(panel);
    for (auto it = old.rbegin(); it != old.rend(); ++it) delete *it;

    const TLayoutDefaults defaults = DesignerLayoutDefaults();
    const TIniFile ini(path);
    if (ini.ReadFailed() || (ini.FileExisted() && QFileInfo(path).isDir())) {
        panel->resize(MmToPixelsX(*panel, defaults.PanelWidth, scale), MmToPixelsY(*panel, defaults.PanelHeight, scale));
        return false;
    }
    const int w = MmToPixelsX(*panel, ini.ReadInteger(QStringLiteral("PANEL"), QStringLiteral("WIDTH"), defaults.PanelWidth), scale);
    const int h = MmToPixelsY(*panel, ini.ReadInteger(QStringLiteral("PANEL"), QStringLiteral("HEIGHT"), defaults.PanelHeight), scale);
    panel->resize(qBound(0, w, QWIDGETSIZE_MAX), qBound(0, h, QWIDGETSIZE_MAX));

    for (const QString& section : ini.ReadSections()) {
        LayoutObjectKind kind;
        if (!LayoutSectionKind(section, kind)) continue;
        TdcComponent* object = nullptr;
        if (kind == LayoutObjectKind::Label) {
            object = new TdcLabel(panel, scale);
            object->LoadFromIni(ini, section);
        } else {
            auto* image = new TdcImage(panel, scale);
            image->LoadFromIni(ini, section);
            if (image->LoadError()) {
                delete image;
                continue;
            }
            object = image;
        }
        object->OnSelect = hooks.OnSelect;
        object->OnChange = hooks.OnChange;
        object->OnDblClick = hooks.OnDblClick;
    }

    if (hooks.BeforeSelectFirst) hooks.BeforeSelectFirst();
    const QList<TdcComponent*> loaded = DesignObjects(panel);
    if (!loaded.isEmpty()) loaded.first()->SetSelect(true);
    return true;
}
