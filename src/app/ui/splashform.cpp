#include "splashform.h"

#include "datafolder.h"
#include "firstrun.h"
#include "mainform.h"

#include <QGuiApplication>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QScreen>
#include <QVBoxLayout>

namespace {

QPixmap SplashPicture() {
    QPixmap pm(420, 240);
    QPainter p(&pm);
    QLinearGradient g(0, 0, 0, pm.height());
    g.setColorAt(0, QColor(0x1f, 0x4e, 0x8c));
    g.setColorAt(1, QColor(0x0b, 0x25, 0x4a));
    p.fillRect(pm.rect(), g);
    // A price label with its frame and a few bars, the program's subject.
    const QRect label(250, 60, 140, 96);
    p.fillRect(label, Qt::white);
    p.setPen(QPen(Qt::black, 2));
    p.drawRect(label.adjusted(1, 1, -1, -1));
    p.setFont(QFont(QStringLiteral("DejaVu Sans"), 18, QFont::Bold));
    p.drawText(label.adjusted(0, 8, 0, -48), Qt::AlignCenter, QString::fromUtf8("9,99 zł"));
    for (int x = 0, i = 0; x < 110; ++i) {
        const int w = 1 + (i * 7 % 3);
        p.fillRect(label.left() + 15 + x, label.top() + 52, w, 32, Qt::black);
        x += w + 1 + (i * 5 % 2);
    }
    p.setPen(Qt::white);
    p.setFont(QFont(QStringLiteral("DejaVu Sans"), 26, QFont::Bold));
    p.drawText(QRect(24, 50, 220, 50), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Prandel"));
    p.setFont(QFont(QStringLiteral("DejaVu Sans"), 20));
    p.drawText(QRect(24, 100, 220, 40), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("etykiet"));
    return pm;
}

}  // namespace

TSplashScreenForm::TSplashScreenForm(TMainForm* mainForm, QWidget* parent)
    : QDialog(parent, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::Dialog), MainForm(mainForm) {
    setObjectName(QStringLiteral("SplashScreenForm"));
    setWindowTitle(QStringLiteral("Prandel etykiet"));
    TimeElapsed = false;
    LoadFinished = false;
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(0);
    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    const QPixmap picture = SplashPicture();
    Image1->setPixmap(picture);
    layout->addWidget(Image1);
    // The texts sit on the picture.
    const auto overlay = [this](const char* name, QRect where, const QString& text, int pointSize) {
        auto* l = new QLabel(text, Image1);
        l->setObjectName(QLatin1String(name));
        l->setGeometry(where);
        QPalette pal = l->palette();
        pal.setColor(QPalette::WindowText, Qt::white);
        l->setPalette(pal);
        QFont f = l->font();
        f.setPointSize(pointSize);
        l->setFont(f);
        return l;
    };
    lbVersion = overlay("lbVersion", QRect(24, 140, 220, 20), QString(), 9);
    Label1 = overlay("Label1", QRect(24, 180, 380, 20), QString::fromUtf8("Trwa ładowanie definicji baz danych..."), 9);
    Label2 = overlay("Label2", QRect(24, 212, 380, 20),
                     QString::fromUtf8("Program chroniony prawem autorskim. Wszelkie prawa zastrzeżone."), 7);
    setFixedSize(picture.width() + 4, picture.height() + 4);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    Timer1.setInterval(3000);
    Timer1.setSingleShot(false);
    connect(&Timer1, &QTimer::timeout, this, &TSplashScreenForm::Timer1Timer);
    MainForm->OnLoadFinished = [this](TMainForm* sender) { LoadFinishedHandler(sender); };
}

void TSplashScreenForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    lbVersion->setText(QStringLiteral("wersja: ") + TMainForm::VersionText());
    if (Activated) return;
    Activated = true;
    // Let the window paint before the loading step keeps the thread busy.
    QMetaObject::invokeMethod(this, &TSplashScreenForm::FormActivate, Qt::QueuedConnection);
}

void TSplashScreenForm::FormActivate() {
    repaint();
    Timer1.start();
    if (IsFirstRun()) {
        const QString kept = Label1->text();
        Label1->setText(QString::fromUtf8("Przygotowanie do pierwszego uruchomienia..."));
        Label1->repaint();
        PrepareFirstRun();
        Label1->setText(kept);
    }
    MainForm->LoadingStep();
}

void TSplashScreenForm::LoadFinishedHandler(TMainForm* sender) {
    sender->OnLoadFinished = nullptr;
    LoadFinished = true;
    if (TimeElapsed) {
        Timer1.setInterval(100);
        Timer1.start();
    }
}

void TSplashScreenForm::Timer1Timer() {
    Timer1.stop();
    TimeElapsed = true;
    if (LoadFinished) done(QDialog::Accepted);
}
