#include "goodssession.h"

#include "goodstable.h"

TGoodsSession::TGoodsSession() {
    SetupGoodsTable(tbLocal, false);
    SetupGoodsTable(tbLocalShow, true);
}

QStringList TGoodsSession::Open() { return OpenGoodsList(tbLocal, tbLocalShow); }
