#include "cipher.h"
#include "codepage.h"
#include "mazovia.h"
#include "odbcmanager.h"

#include <QCryptographicHash>
#include <gtest/gtest.h>

namespace {

const QString kKey = QString::fromLatin1(kPasswordKey);

TEST(Cipher, MatchesThePublishedRc4VectorFollowedByMd5) {
    // RC4 with key "Key" on "Plaintext" gives BBF316E8D940AF0AD3.
    const QString stored = EncipherText(QStringLiteral("Key"), QStringLiteral("Plaintext"));
    EXPECT_EQ(stored, QStringLiteral("BBF316E8D940AF0AD3") +
                          QString::fromLatin1(QCryptographicHash::hash("Plaintext", QCryptographicHash::Md5).toHex().toUpper()));
}

TEST(Cipher, ThreeCharactersAreStoredAs38DigitsAndComeBack) {
    const QString stored = EncipherText(kKey, QStringLiteral("abc"));
    ASSERT_EQ(stored.size(), 38);
    EXPECT_EQ(stored, stored.toUpper());
    EXPECT_EQ(stored, EncipherText(kKey, QStringLiteral("abc"))) << "same password, same text";
    EXPECT_EQ(DecipherText(kKey, stored), QStringLiteral("abc"));
    EXPECT_EQ(DecipherText(kKey, stored.toLower()), QStringLiteral("abc"));
    EXPECT_EQ(DecipherText(kKey, stored + u'F'), QStringLiteral("abc")) << "a last odd digit is ignored";
    const QString polish = QStringLiteral("zażółć");
    EXPECT_EQ(EncipherText(kKey, polish).size(), 2 * (6 + 16));
    EXPECT_EQ(DecipherText(kKey, EncipherText(kKey, polish)), polish);
}

TEST(Cipher, DamagedStoredTextReadsEmpty) {
    const QString stored = EncipherText(kKey, QStringLiteral("abc"));
    for (int i = 6; i < stored.size(); ++i) {
        QString damaged = stored;
        damaged[i] = damaged[i] == u'0' ? u'1' : u'0';
        EXPECT_EQ(DecipherText(kKey, damaged), QString()) << i;
    }
    EXPECT_EQ(DecipherText(kKey, stored.left(32)), QString());
    EXPECT_EQ(DecipherText(kKey, QString(40, u'Z')), QString());
    EXPECT_EQ(DecipherText(kKey, QStringLiteral("G") + stored.mid(1)), QString());
    EXPECT_EQ(DecipherText(QStringLiteral("innyklucz1234567"), stored), QString());
    EXPECT_EQ(DecipherText(kKey, QString()), QString());
    EXPECT_EQ(EncipherText(kKey, QString()), QString());
}

TEST(Cipher, ManagerKeepsThePasswordEnciphered) {
    TODBCManager m;
    m.SetSqlPassword(QStringLiteral("haslo"));
    EXPECT_EQ(m.GetStoredSqlPassword(), EncipherText(kKey, QStringLiteral("haslo")));
    EXPECT_EQ(m.GetSqlPassword(), QStringLiteral("haslo"));
    m.SetSqlPassword(QString());
    EXPECT_EQ(m.GetStoredSqlPassword(), QString());
}

TEST(Conversion, MazoviaLettersBecomeWindows1250) {
    QByteArray all;
    for (int i = 0; i < 256; ++i) all.append(static_cast<char>(i));
    const QByteArray out = MazoviaToWin1250(all);
    ASSERT_EQ(out.size(), 256);
    // "ĄĆĘŁŃÓŚŹŻąćęłńóśźż" in Mazovia.
    const QByteArray mazovia("\x8F\x95\x90\x9C\xA5\xA3\x98\xA0\xA1\x86\x8D\x91\x92\xA4\xA2\x9E\xA6\xA7");
    EXPECT_EQ(FromWin1250(MazoviaToWin1250(mazovia)), QStringLiteral("ĄĆĘŁŃÓŚŹŻąćęłńóśźż"));
    int changed = 0;
    for (int i = 0; i < 256; ++i) changed += out[i] != all[i];
    EXPECT_EQ(changed, 18);
}

// Only the name counts; no definition file has to exist.
void Name(TODBCManager& m, const QString& name) {
    try {
        m.SelectDefinition(name);
    } catch (const TODBCManagerException&) {
    }
    ASSERT_EQ(m.GetDefinitionName(), name);
}

TEST(Conversion, ChosenByTheDefinitionName) {
    TODBCManager m;
    const QByteArray mazovia("\x8F\x41\xA7");
    const QByteArray utf8 = QStringLiteral("ł").toUtf8();
    Name(m, QStringLiteral("Buchalter II"));
    EXPECT_EQ(m.ConvertText(mazovia), QByteArray("\xA5\x41\xBF"));
    Name(m, QStringLiteral("LeftHand Mała Księgowość"));
    EXPECT_EQ(m.ConvertText(utf8), QByteArray("\xB3"));
    EXPECT_EQ(m.ConvertText(QByteArray()), QByteArray());
    // Characters the code page lacks get a stand-in; the length follows the characters.
    EXPECT_EQ(m.ConvertText(QStringLiteral("cena 5€ ☺ ñ").toUtf8()), QByteArray("cena 5\x80 ? n"));
    // Bytes that are no UTF-8 are kept as they were.
    EXPECT_EQ(m.ConvertText(QByteArray("\xB3\xF3w")), QByteArray("\xB3\xF3w"));
    // The same through text that holds the bytes as Windows-1250 characters.
    EXPECT_EQ(m.ConvertText(FromWin1250(utf8)), QStringLiteral("ł"));
    for (const QString& name : {QStringLiteral("buchalter II"), QStringLiteral("Inny"), QString()}) {
        Name(m, name);
        EXPECT_EQ(m.ConvertText(mazovia), mazovia);
        EXPECT_EQ(m.ConvertText(utf8), utf8);
    }
}

TEST(Conversion, SplitNameValueSplitsAtTheFirstEqualsSign) {
    QString name, value;
    EXPECT_TRUE(SplitNameValue(QStringLiteral("Description=a=b"), name, value));
    EXPECT_EQ(name, QStringLiteral("Description"));
    EXPECT_EQ(value, QStringLiteral("a=b"));
    EXPECT_TRUE(SplitNameValue(QStringLiteral(" Port = "), name, value));
    EXPECT_EQ(name, QStringLiteral(" Port "));
    EXPECT_EQ(value, QStringLiteral(" "));
    EXPECT_FALSE(SplitNameValue(QStringLiteral("brak"), name, value));
}

}  // namespace
