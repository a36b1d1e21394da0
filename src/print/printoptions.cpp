#include "printoptions.h"

#include "layout.h"
#include "settings.h"

TPrintOptions PrintOptionsOf(const TSettings& s) {
    TPrintOptions o;
    o.AlwaysGr = s.AlwaysGr;
    o.DoubleGr = s.DoubleGr;
    o.DotSeparator = s.DotSeparator;
    o.SmallGr = s.SmallGr;
    o.BarcodeShowText = s.BarcodeShowText;
    o.FrameColor = ColorFromValue(s.FrameColor);
    o.QrEcc = QrEccFromText(s.QrEcc).value_or(DefaultQrEcc);
    return o;
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
