#pragma once
#include "dbfwriter.h"
#include "odbcenv.h"
#include "engine.h"
#include "externaldb.h"
#include "goodsstore.h"
#include "goodstable.h"
#include "goodsupdate.h"
#include "odbcmanager.h"
#include "testsupport.h"

#include <QDir>
#include <QStringList>
#include <functional>
#include <map>

// A data folder with an empty goods table and a dBase definition "Test" whose
// folder the test fills with tables; the goods in the store `makeStore` makes
// (in the fixture's data folder).
class TUpdateFixture {
public:
    TempDataHome Home;
    QString Folder;
    TODBCManager Manager;
    std::unique_ptr<TGoodsStore> Store;
    TTable& tbLocal;
    TExternalDatabase dbOutside;
    int Steps = 0;  // rows the last run went through

    explicit TUpdateFixture(const std::function<std::unique_ptr<TGoodsStore>()>& makeStore = MakeLocalGoodsStore)
        : Store(makeStore()), tbLocal(Store->Whole()) {
        Folder = Home.root() + QStringLiteral("/sklep");
        QDir().mkpath(Folder);
        QDir().mkpath(Home.path(QStringLiteral("SQLCFG")));
        Store->Create();
        Manager.SetDsnName(QStringLiteral("Prandel etykiet"));
        Manager.SetDefinitionFolder(Home.path(QStringLiteral("SQLCFG/")));
        Define(QStringLiteral("SELECT ID, NAZWA, CENA, WAGA, KOD, TYPKODU FROM TOWARY ORDER BY ID"));
    }

    // `odbc`: lines of the definition's ODBC section.
    void Define(const QString& query1, const QString& query2 = QStringLiteral("SELECT COUNT(*) FROM TOWARY"), int type = 3,
                const QByteArray& odbc = QByteArray()) {
        WriteAll(Home.path(QStringLiteral("SQLCFG/Test.cdb")),
                 "[DATABASE]\r\nTYPE=" + QByteArray::number(type) + "\r\nDataPath=" + Folder.toUtf8() + "\r\nDSN=Test\r\n[SQL]\r\nQUERY1=" +
                     query1.toUtf8() + "\r\nQUERY2=" + query2.toUtf8() + "\r\n[LOGIN PARAMS]\r\nUSER=\r\n[ODBC]\r\n" + odbc);
        Manager.SelectDefinition(QStringLiteral("Test"));
    }

    static std::vector<TDbfTestField> GoodsFields() {
        return {{"ID", 'N', 6, 0}, {"NAZWA", 'C', 70, 0}, {"CENA", 'C', 12, 0}, {"WAGA", 'C', 20, 0}, {"KOD", 'C', 80, 0}, {"TYPKODU", 'N', 3, 0}};
    }

    // Rows of ID, NAZWA, CENA, WAGA, KOD, TYPKODU as texts.
    void WriteGoods(const QList<QStringList>& rows, const QString& file = QStringLiteral("TOWARY.DBF")) {
        TDbfTestFile f;
        f.Fields = GoodsFields();
        for (const QStringList& r : rows) f.Records << DbfRow(f.Fields, r);
        WriteAll(Folder + u'/' + file, f.Bytes());
    }

    TUpdateOutcome Run(std::function<void()> process = {}, TCancelFlag cancel = {}) {
        ConnectOutside(dbOutside, Manager);
        TUpdateRun run;
        run.dbOutside = &dbOutside;
        run.Manager = &Manager;
        run.Store = Store.get();
        run.UpdateCancelRequested = cancel;
        run.ProcessMessages = std::move(process);
        Steps = 0;
        run.StepProgress = [this] { ++Steps; };
        return RunGoodsUpdate(run);
    }

    // Every goods row by ID: NAZWA, CENA, WAGA, ABSCENA, KODKRESKOWY, TYPKODU, NEW, SELECT.
    std::map<QString, QStringList> Goods() {
        std::map<QString, QStringList> out;
        tbLocal.Close();
        tbLocal.SetFiltered(false);
        tbLocal.Open();
        for (tbLocal.First(); !tbLocal.Eof(); tbLocal.Next()) {
            QStringList v;
            for (const char* f : {"NAZWA", "CENA", "WAGA", "ABSCENA", "KODKRESKOWY", "TYPKODU", "NEW", "SELECT"})
                v << tbLocal.FieldByName(QLatin1String(f)).AsString();
            out[tbLocal.FieldByName(QStringLiteral("ID")).AsString()] = v;
        }
        tbLocal.Close();
        return out;
    }
};
