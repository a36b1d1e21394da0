#include "designpage.h"

#include "designio.h"
#include "layoutpaths.h"
#include "prompter.h"
#include "settings.h"
#include "units.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QScrollArea>
#include <QVBoxLayout>

TDesignPage::TDesignPage(TSettings& settings, bool& layoutModified, QWidget* parent)
    : QWidget(parent), Settings(settings), LayoutModified(layoutModified) {
    setObjectName(QStringLiteral("TabSheet2"));
    auto* layout = new QVBoxLayout(this);
    auto* fileRow = new QHBoxLayout;
    auto* caption = new QLabel(QStringLiteral("Plik:"), this);
    fileRow->addWidget(caption);
    edLabelFileName = new QLineEdit(this);
    edLabelFileName->setObjectName(QStringLiteral("edLabelFileName"));
    edLabelFileName->setReadOnly(true);
    edLabelFileName->setAccessibleName(QStringLiteral("Plik wyglądu etykiety"));
    caption->setBuddy(edLabelFileName);
    fileRow->addWidget(edLabelFileName, 1);
    layout->addLayout(fileRow);
    sbDesign = new QScrollArea(this);
    sbDesign->setObjectName(QStringLiteral("sbDesign"));
    sbDesign->setBackgroundRole(QPalette::Dark);
    sbDesign->setAlignment(Qt::AlignCenter);
    plProjDesign = new TDesignPanel;
    plProjDesign->setObjectName(QStringLiteral("plProjDesign"));
    plProjDesign->setAccessibleName(QStringLiteral("Projekt etykiety"));
    const quint8 scale = DesignScale(Settings);
    plProjDesign->resize(MmToPixelsX(*plProjDesign, 100, scale), MmToPixelsY(*plProjDesign, 50, scale));
    sbDesign->setWidget(plProjDesign);
    // The label itself is white on the grey of the scroll area.
    QPalette white = plProjDesign->palette();
    white.setColor(QPalette::Window, Qt::white);
    plProjDesign->setPalette(white);
    plProjDesign->setBackgroundRole(QPalette::Window);
    plProjDesign->setAutoFillBackground(true);
    layout->addWidget(sbDesign, 1);
}

bool TDesignPage::ReloadLayout() {
    TDesignHooks hooks;
    hooks.OnSelect = [this](TdcComponent* object) { ObjectSelected(object); };
    hooks.OnChange = [this](TdcComponent*) { LayoutModified = true; };
    return LoadDesign(plProjDesign, Settings.LabelFileName, DesignScale(Settings), hooks);
}

bool TDesignPage::SaveLayout() {
    if (!SaveLayoutTo(Settings.LabelFileName)) {
        Prompter::current().error(
            QString::fromUtf8("Wystąpił błąd podczas zapisu pliku: \"%1\".").arg(Settings.LabelFileName));
        return false;
    }
    LayoutModified = false;
    return true;
}

bool TDesignPage::SaveLayoutTo(const QString& path) const {
    return SaveDesign(plProjDesign, path, DesignScale(Settings));
}

void TDesignPage::ShowFileName() { edLabelFileName->setText(LayoutDisplayName(Settings.LabelFileName)); }

void TDesignPage::StoreFileName() { Settings.LabelFileName = LayoutFullPath(edLabelFileName->text()); }

void TDesignPage::ObjectSelected(TdcComponent* object) {
    // One object at a time carries the handles.
    for (TdcComponent* other : DesignObjects(plProjDesign))
        if (other != object && other->Select()) other->SetSelect(false);
}
