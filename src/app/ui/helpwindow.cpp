#include "helpwindow.h"

#include "datafolder.h"
#include "prompter.h"

#include <QApplication>
#include <QFileInfo>
#include <QKeyEvent>
#include <QPointer>
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
        gHelp->resize(720, 600);
    }
    gHelp->setSource(QUrl::fromLocalFile(path));
    gHelp->show();
    gHelp->raise();
    gHelp->activateWindow();
}

// Watches the keys of the whole program for F1.
class THelpKey : public QObject {
public:
    THelpKey(QObject* owner, std::function<int()> fallback) : QObject(owner), Fallback(std::move(fallback)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) return false;
        auto* key = static_cast<QKeyEvent*>(event);
        auto* widget = qobject_cast<QWidget*>(watched);
        if (!widget || !key->matches(QKeySequence::HelpContents)) return false;
        // The help window itself has no page of its own.
        if (widget->window() == gHelp) return false;
        int context = HelpContextOf(widget);
        if (context <= 0 && Fallback) context = Fallback();
        ShowHelpTopic(context, widget->window());
        return true;
    }

private:
    std::function<int()> Fallback;
};

}  // namespace

void ShowHelpContents(QWidget* parent) { Show(QStringLiteral("index.html"), parent); }

void ShowHelpTopic(int context, QWidget* parent) {
    const QString file = QString::number(context) + QStringLiteral(".html");
    if (QFileInfo::exists(GetProgramFolder() + QStringLiteral("help/") + file))
        Show(file, parent);
    else
        ShowHelpContents(parent);
}

int HelpContextOf(const QWidget* widget) {
    for (const QWidget* w = widget; w; w = w->parentWidget()) {
        if (!w->isWindow()) continue;
        const int context = w->property("HelpContext").toInt();
        if (context > 0) return context;
    }
    return 0;
}

void InstallHelpKey(QObject* owner, std::function<int()> fallback) {
    if (QCoreApplication::instance())
        QCoreApplication::instance()->installEventFilter(new THelpKey(owner, std::move(fallback)));
}
