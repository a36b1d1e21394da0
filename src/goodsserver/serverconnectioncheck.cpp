#include "serverconnectioncheck.h"

#include "serverschema.h"
#include "silentfailure.h"

TPgParams GoodsServerParams(const TGoodsStoreSettings& settings) {
    return {settings.Host, settings.Port, settings.Database, settings.User, settings.Password};
}

QString CheckGoodsServer(const TGoodsStoreSettings& settings) {
    const TPgParams params = GoodsServerParams(settings);
    try {
        TPgConnection conn;
        conn.Connect(params);
        const int version = PrepareShopSchema(conn, settings.Shop);
        qCInfo(lcGoods).noquote() << "Goods server" << params.Place() << "shop" << settings.Shop << "schema" << version << "works";
        return kGoodsServerWorks;
    } catch (const TServerLost& e) {
        return e.Message();
    } catch (const TServerError& e) {
        // The program's own refusals (a newer schema, no shop name) say it
        // all; the server's, such as a login that may not make the shop's
        // schema, come in the server's words after the program's.
        if (e.SqlState() == QLatin1String("P0001") || e.SqlState() == QLatin1String("42602")) return e.Message();
        qCWarning(lcGoods).noquote() << "Goods server" << params.Place() << "shop" << settings.Shop << "refused:" << e.SqlState()
                                     << e.Message();
        return QStringLiteral("Serwer towarów %1 nie przygotował sklepu %2: %3.").arg(params.Place(), settings.Shop, e.Message());
    } catch (const std::exception& e) {
        SilentFailure(lcGoods, QStringLiteral("the goods server was not checked"), e);
        return QStringLiteral("Serwer towarów %1 nie przygotował sklepu %2.").arg(params.Place(), settings.Shop);
    }
}
