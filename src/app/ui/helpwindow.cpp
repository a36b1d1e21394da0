#include "helpwindow.h"

#include "datafolder.h"
#include "prompter.h"

#include <QFileInfo>
#include <QPointer>
#include <QShortcut>
#include <QTextBrowser>
#include <QUrl>

namespace {

QPointer<QTextBrowser> gHelp;

void Show(const QString& file, QWidget* parent) {
    const QString path = GetProgramFolder() + QStringLiteral("help/") + file;
    if (!QFileInfo::exists(path)) {
        Prompter::current().error(QString::fromUtf8("Nie znaleziono pliku pomocy: \"%1\".").arg(path));
        return;
    }
    if (!gHelp) {
        gHelp = new QTextBrowser(parent ? parent->window() : nullptr);
        gHelp->setObjectName(QStringLiteral("HelpWindow"));
        gHelp->setWindowFlag(Qt::Window);
        gHelp->setAttribute(Qt::WA_DeleteOnClose);
        gHelp->setOpenExternalLinks(false);
        gHelp->setWindowTitle(QStringLiteral("Prandel etykiet - pomoc"));
        gHelp->resize(640, 520);
    }
    gHelp->setSource(QUrl::fromLocalFile(path));
    gHelp->show();
    gHelp->raise();
    gHelp->activateWindow();
}

}  // namespace

void ShowHelpContents(QWidget* parent) { Show(QStringLiteral("index.html"), parent); }

void ShowHelpTopic(int context, QWidget* parent) {
    const QString file = QString::number(context) + QStringLiteral(".html");
    if (QFileInfo::exists(GetProgramFolder() + QStringLiteral("help/") + file))
        Show(file, parent);
    else
        ShowHelpContents(parent);
}

void AttachHelp(QWidget* widget, int context) {
    auto* f1 = new QShortcut(QKeySequence::HelpContents, widget);
    f1->setContext(Qt::WindowShortcut);
    QObject::connect(f1, &QShortcut::activated, widget, [widget, context] { ShowHelpTopic(context, widget); });
}
