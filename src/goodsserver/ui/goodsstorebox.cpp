#include "goodsstorebox.h"

#include "goodsstorecopy.h"
#include "prompter.h"
#include "runprogressdialog.h"
#include "serverconnectioncheck.h"
#include "settingskeys.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QSysInfo>

namespace {

// How many rows the copy takes between two looks at the window.
constexpr qint64 kRowsPerRefresh = 256;

// The group's caption is bold, its controls are not.
template <class W>
W* Plain(W* w) {
    QFont f = w->font();
    f.setBold(false);
    w->setFont(f);
    return w;
}

QLineEdit* TextField(QWidget* parent, const char* name) {
    auto* edit = Plain(new QLineEdit(parent));
    edit->setObjectName(QLatin1String(name));
    return edit;
}

// The wait cursor for a call that blocks the window.
class TWaitCursor {
public:
    TWaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~TWaitCursor() { QApplication::restoreOverrideCursor(); }
    Q_DISABLE_COPY(TWaitCursor)
};

}  // namespace

TGoodsStoreBox::TGoodsStoreBox(QWidget* parent) : QGroupBox(QStringLiteral(" Miejsce towarów "), parent) {
    setObjectName(QStringLiteral("gbGoodsStore"));
    QFont bold = font();
    bold.setBold(true);
    setFont(bold);
    auto* grid = new QGridLayout(this);
    int row = 0;

    rbLocal = Plain(new QRadioButton(QStringLiteral("Plik na tym komputerze"), this));
    rbLocal->setObjectName(QStringLiteral("rbLocal"));
    rbServer = Plain(new QRadioButton(QStringLiteral("Serwer PostgreSQL"), this));
    rbServer->setObjectName(QStringLiteral("rbServer"));
    auto* kinds = new QHBoxLayout;
    for (QRadioButton* rb : {rbLocal, rbServer}) {
        rb->setAccessibleName(rb->text());
        kinds->addWidget(rb);
        connect(rb, &QRadioButton::clicked, this, &TGoodsStoreBox::KindClick);
    }
    kinds->addStretch(1);
    grid->addLayout(kinds, row++, 0, 1, 2);

    const auto line = [&](const QString& text, QWidget* field) {
        auto* label = Plain(new QLabel(text, this));
        label->setBuddy(field);
        field->setAccessibleName(text);
        grid->addWidget(label, row, 0);
        grid->addWidget(field, row++, 1);
    };
    edHost = TextField(this, "edHost");
    line(QStringLiteral("Serwer"), edHost);
    edPort = Plain(new QSpinBox(this));
    edPort->setObjectName(QStringLiteral("edPort"));
    edPort->setRange(static_cast<int>(SettingKeys::GoodsStorePort.Min), static_cast<int>(SettingKeys::GoodsStorePort.Max));
    line(QStringLiteral("Port"), edPort);
    edDatabase = TextField(this, "edDatabase");
    line(QStringLiteral("Baza danych"), edDatabase);
    edUser = TextField(this, "edUser");
    line(QStringLiteral("Użytkownik"), edUser);
    edPassword = TextField(this, "edPassword");
    edPassword->setEchoMode(QLineEdit::Password);
    line(QStringLiteral("Hasło"), edPassword);
    edShop = TextField(this, "edShop");
    line(QStringLiteral("Sklep"), edShop);
    edWorkstation = TextField(this, "edWorkstation");
    // Empty: the computer's own name, which the field shows greyed.
    edWorkstation->setPlaceholderText(QSysInfo::machineHostName());
    line(QStringLiteral("Stanowisko"), edWorkstation);

    btnCheck = Plain(new QPushButton(QStringLiteral("Sprawdź połączenie"), this));
    btnCheck->setObjectName(QStringLiteral("btnCheck"));
    btnCopy = Plain(new QPushButton(QStringLiteral("Kopiuj towary na serwer"), this));
    btnCopy->setObjectName(QStringLiteral("btnCopy"));
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {btnCheck, btnCopy}) {
        b->setAccessibleName(b->text());
        buttons->addWidget(b);
    }
    buttons->addStretch(1);
    grid->addLayout(buttons, row++, 0, 1, 2);
    grid->setColumnStretch(1, 1);

    connect(btnCheck, &QPushButton::clicked, this, &TGoodsStoreBox::btnCheckClick);
    connect(btnCopy, &QPushButton::clicked, this, &TGoodsStoreBox::btnCopyClick);
    Fill(TGoodsStoreSettings{});
}

void TGoodsStoreBox::Fill(const TGoodsStoreSettings& settings) {
    KindInEffect = KindShown = settings.Kind;
    (settings.Kind == TGoodsStoreKind::Server ? rbServer : rbLocal)->setChecked(true);
    edHost->setText(settings.Host);
    edPort->setValue(settings.Port);
    edDatabase->setText(settings.Database);
    edUser->setText(settings.User);
    edPassword->setText(settings.Password);
    edShop->setText(settings.Shop);
    edWorkstation->setText(settings.Workstation);
}

TGoodsStoreSettings TGoodsStoreBox::Values() const {
    TGoodsStoreSettings s;
    s.Kind = rbServer->isChecked() ? TGoodsStoreKind::Server : TGoodsStoreKind::Local;
    s.Host = edHost->text().trimmed();
    s.Port = edPort->value();
    s.Database = edDatabase->text().trimmed();
    s.User = edUser->text().trimmed();
    s.Password = edPassword->text();
    s.Shop = edShop->text().trimmed();
    s.Workstation = edWorkstation->text().trimmed();
    return s;
}

void TGoodsStoreBox::KindClick() {
    const TGoodsStoreKind chosen = Values().Kind;
    if (chosen == KindShown) return;
    KindShown = chosen;
    // Back to the kind in use: nothing changes at the next start either.
    if (chosen == KindInEffect) return;
    Prompter::current().info(QStringLiteral("Nowe miejsce towarów będzie używane od następnego uruchomienia programu."));
}

void TGoodsStoreBox::btnCheckClick() {
    QString message;
    {
        const TWaitCursor wait;
        message = CheckGoodsServer(Values());
    }
    if (message == kGoodsServerWorks)
        Prompter::current().info(message);
    else
        Prompter::current().error(message);
}

void TGoodsStoreBox::btnCopyClick() {
    const TGoodsStoreSettings settings = Values();
    if (!Prompter::current().confirmOkCancel(
            QStringLiteral("Skopiować towary i historię cen z tego komputera do sklepu %1 na serwerze %2?")
                .arg(settings.Shop, GoodsServerParams(settings).Place())))
        return;
    TRunProgressDialog form(QStringLiteral("Trwa kopiowanie towarów na serwer"), QStringLiteral("prCopy"),
                            QStringLiteral("btnCopyCancel"), this);
    form.setObjectName(QStringLiteral("CopyProgressForm"));
    TGoodsCopyCounts counts;
    QString failure;
    bool ran = false;
    form.OnRun = [&] {
        ran = true;
        try {
            counts = CopyGoodsToServer(settings, [&form](qint64 done, qint64 total) {
                if (done % kRowsPerRefresh == 0 || done == total) {
                    // The bar counts in thousandths: more rows than an int holds fit.
                    form.Bar->setRange(0, 1000);
                    form.Bar->setValue(total > 0 ? static_cast<int>(done * 1000 / total) : 1000);
                    QCoreApplication::processEvents();
                }
                return !form.CancelRequested.Requested();
            });
        } catch (const TEngineError& e) {
            failure = e.Message();
        }
    };
    Prompter::current().runDialog(form);
    form.OnRun = nullptr;
    if (!ran) return;
    if (failure.isEmpty())
        Prompter::current().info(GoodsCopyText(counts));
    else
        Prompter::current().error(failure);
}
