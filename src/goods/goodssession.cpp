#include "goodssession.h"

TGoodsSession::TGoodsSession(std::unique_ptr<TGoodsStore> store) : Store(std::move(store)), tbLocal(Store->Whole()) {
    Store->Bind(tbLocalShow, TGoodsOrder::Name);
}

QStringList TGoodsSession::Open() { return Store->Open(tbLocalShow); }
