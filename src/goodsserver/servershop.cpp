#include "servershop.h"

#include "pricehistory.h"
#include "serverschema.h"

TServerShop::TServerShop(const TGoodsStoreSettings& settings)
    : Params{settings.Host, settings.Port, settings.Database, settings.User, settings.Password},
      Shop(settings.Shop),
      Workstation(settings.WorkstationName()),
      Mirror(Conn, Params, Shop, Workstation) {}

void TServerShop::Connect() {
    if (Conn.Connected()) return;
    Conn.Connect(Params);
    // What this program writes into CENA comes with its amount; the server
    // drops the amount of a price written by anything else.
    Conn.Exec(QStringLiteral("SET prandel.program = on"));
    PrepareShopSchema(Conn, Shop);
    Schema = Conn.Identifier(Shop);
}

void TServerShop::Write(const std::function<void()>& work) {
    Connect();
    Conn.Retrying([&] {
        // Tests date the history by their own clock; otherwise the server's
        // clock dates it, one clock for every workstation.
        if (PriceClockInstalled())
            Conn.Exec(QStringLiteral("SELECT set_config('prandel.teraz', ?, true)"),
                      {QString::number(PriceClockNow().toMSecsSinceEpoch())});
        work();
    });
}

void TServerShop::CatchUp() {
    Connect();
    if (Conn.Depth() == 0) Mirror.CatchUp();
}

QString TServerShop::TextArray(const QStringList& texts) {
    QStringList items;
    items.reserve(texts.size());
    for (QString text : texts) {
        text.replace(u'\\', QLatin1String("\\\\")).replace(u'"', QLatin1String("\\\""));
        items << u'"' + text + u'"';
    }
    return u'{' + items.join(u',') + u'}';
}
