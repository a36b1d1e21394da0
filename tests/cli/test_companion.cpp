// The companion as a new machine's first commands meet it.
#include "clirunner.h"
#include "testsupport.h"

#include <QFileInfo>
#include <gtest/gtest.h>

namespace {

// Every command prepares a brand-new data folder as the program's first start
// does, so update, select and print work as the first three commands.
TEST(Companion, FirstCommandsOnABrandNewDataFolder) {
    TempDataHome home;
    const QString data = home.dataFolder();
    const QString pdf = home.root() + QStringLiteral("/etykiety.pdf");
    struct Step {
        QStringList args;
        QString out;
    };
    const Step steps[] = {
        {{"update", "--definition", "Sklep demonstracyjny"}, QStringLiteral("Liczba zmienionych pozycji: 60\n")},
        {{"goods", "select", "--check-type", "1"}, QString()},
        {{"print", "--pdf", pdf}, QString()},
    };
    for (const Step& s : steps) {
        const TCliResult r = RunCli(data, s.args);
        EXPECT_EQ(r.Code, 0) << s.args.join(' ').toStdString() << ": " << r.Err.toStdString();
        EXPECT_EQ(r.Out, s.out) << s.args.join(' ').toStdString();
    }
    EXPECT_GT(QFileInfo(pdf).size(), 0);
    const TCliResult printed = RunCli(data, {"goods", "list", "--view", "4"});
    EXPECT_EQ(printed.Out.count(u'\n'), 61);  // the header and the 60 goods of the job
    // Messages end their line, so that scripts read them whole.
    const TCliResult refused = RunCli(data, {"goods", "list", "--view", "9"});
    EXPECT_EQ(refused.Code, 2);
    EXPECT_TRUE(refused.Err.endsWith(u'\n'));
}

}  // namespace
