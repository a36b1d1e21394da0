#include "printoptions.h"

#include "inifile.h"
#include "layout.h"

TPrintOptions ReadPrintOptions(const TIniFile& ini) {
    const QString price = QStringLiteral("PRICE");
    TPrintOptions o;
    o.AlwaysGr = ini.ReadBool(price, QStringLiteral("ALWAYSGR"), true);
    o.DoubleGr = ini.ReadBool(price, QStringLiteral("DOUBLEGR"), true);
    o.DotSeparator = ini.ReadBool(price, QStringLiteral("DOTSEPARATOR"), false);
    o.SmallGr = ini.ReadBool(price, QStringLiteral("SMALLGR"), false);
    o.BarcodeShowText = ini.ReadBool(QStringLiteral("BARCODE"), QStringLiteral("SHOWTEXT"), true);
    o.FrameColor = ColorFromValue(ini.ReadInteger(QStringLiteral("LABEL"), QStringLiteral("FRAMECOLOR"), 0));
    return o;
}

qsizetype PriceSeparatorPos(const QString& price) {
    const qsizetype comma = price.indexOf(u',');
    return comma >= 0 ? comma : price.indexOf(u'.');
}

QString FormatPrice(const QString& price, bool alwaysGr, bool doubleGr, bool dotSeparator) {
    QString s = price;
    if (alwaysGr && !s.contains(u',') && !s.contains(u'.')) s += QStringLiteral(",00");
    if (doubleGr) {
        const qsizetype p = PriceSeparatorPos(s);
        if (p >= 0 && s.size() == p + 2) s += u'0';
    }
    const QChar from = dotSeparator ? u',' : u'.';
    const qsizetype at = s.indexOf(from);
    if (at >= 0) s[at] = dotSeparator ? u'.' : u',';
    return s;
}
