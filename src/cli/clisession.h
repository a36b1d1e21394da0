#pragma once
#include "goodssession.h"
#include "settings.h"
#include "views.h"

// What every companion command that works on a data folder starts from, made
// the way the program's start makes it: the data folder, the shipped
// definitions and layouts copied into it when its folders are missing, the
// settings (their defaults when settings.ini is missing or unreadable), and
// the goods table, created when missing. The first-run marker is left to the
// program, so that its first start still asks for the external database.
class TCliSession {
public:
    TCliSession();
    Q_DISABLE_COPY(TCliSession)

    TSettings Settings;
    TGoodsSession Goods;

    // Opens the goods list under the filter of `view` as the program's start
    // does; prints the start-up errors and returns false when it cannot.
    bool OpenGoods(TViewCode view = TViewCode::All);
    // Creates the goods table when it is missing; prints the message and
    // returns false when that fails.
    bool EnsureGoodsTable();
};
