#include "clicommand.h"
#include "clisession.h"
#include "engine.h"
#include "printgoods.h"
#include "printmanager.h"
#include "units.h"

#include <QImage>
#include <QPainter>
#include <cmath>

namespace {

int RunRender(const QStringList& args) {
    const CliArgs a(args);
    const auto layout = a.value(QStringLiteral("--layout"));
    if (!layout) return CliFail(QStringLiteral("Podaj plik wyglądu etykiety: --layout PLIK."), 2);
    const auto png = a.value(QStringLiteral("--png"));
    if (!png) return CliFail(QStringLiteral("Podaj plik wynikowy: --png PLIK."), 2);
    bool ok = true;
    const auto dpiOption = a.integer(QStringLiteral("--dpi"), &ok);
    if (!ok || (dpiOption && (*dpiOption < 1 || *dpiOption > 10000)))
        return CliFail(QStringLiteral("--dpi: oczekiwano liczby punktów na cal (1..10000)."), 2);
    const int dpi = dpiOption.value_or(300);

    TPrintGoods goods;
    TCliSession session;
    if (const auto id = a.value(QStringLiteral("--id"))) {
        if (!session.OpenGoods()) return 1;
        TTable& tbLocalShow = session.Goods.tbLocalShow;
        try {
            if (!tbLocalShow.Locate(GoodsColumnName(TGoodsColumn::ID), *id))
                return CliFail(QStringLiteral("Brak towaru o identyfikatorze %1.").arg(*id));
            goods = ReadGoodsRecord(tbLocalShow);
        } catch (const TEngineError& e) {
            return CliFail(e.Message());
        }
    } else {
        session.EnsureGoodsTable();
        goods.NAZWA = a.value(QStringLiteral("--name")).value_or(QString()).left(255);
        goods.CENA = a.value(QStringLiteral("--price")).value_or(QString()).left(255);
        goods.ABSCENA = a.value(QStringLiteral("--unit-price")).value_or(QString()).left(255);
        goods.KODKRESKOWY = a.value(QStringLiteral("--barcode")).value_or(QString()).left(255);
        const auto type = a.integer(QStringLiteral("--type"), &ok);
        if (!ok) return CliFail(QStringLiteral("--type: oczekiwano typu kodu (0..26)."), 2);
        goods.TYPKODU = static_cast<quint8>(type.value_or(kDefaultBarcodeType) & 0xFF);
    }

    TPrintManager manager;
    manager.LayoutFileName = *layout;
    try {
        manager.LoadLayout();
    } catch (const TPrintManagerException& e) {
        return CliFail(PrintOutcomeMessage(e.Outcome), e.Cause);
    }
    manager.SetOptions(PrintOptionsOf(session.Settings));

    const int w = MmToPixels(manager.LabelWidth(), 1, dpi);
    const int h = MmToPixels(manager.LabelHeight(), 1, dpi);
    if (w <= 0 || h <= 0 || static_cast<qint64>(w) * h > 400'000'000)
        return CliFail(QStringLiteral("Etykieta ma rozmiar %1 × %2 mm: nie ma czego narysować.")
                           .arg(manager.LabelWidth())
                           .arg(manager.LabelHeight()));
    QImage image(w, h, QImage::Format_RGB32);
    if (image.isNull()) return CliFail(QStringLiteral("Za mało pamięci na obraz etykiety."));
    const int dpm = static_cast<int>(std::lround(dpi / 0.0254));
    image.setDotsPerMeterX(dpm);
    image.setDotsPerMeterY(dpm);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        painter.setClipRect(QRect(0, 0, w, h));
        manager.DrawLabel(goods, painter);
    }
    if (!CliSavePng(image, *png)) return CliFail(QStringLiteral("Nie można zapisać pliku %1.").arg(*png));
    return 0;
}

}  // namespace

PRANDEL_CLI_COMMAND("render",
                    "render --layout PLIK --png WYNIK [--dpi D] (--id ID | --name N --price P --unit-price U "
                    "--barcode B --type T)",
                    RunRender);
