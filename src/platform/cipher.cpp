#include "cipher.h"

#include "codepage.h"

#include <QCryptographicHash>
#include <array>

namespace {

constexpr int kDigestSize = 16;

// RC4 from the first byte of the keystream, in place.
void Rc4(const QByteArray& key, QByteArray& data) {
    std::array<unsigned char, 256> s{};
    for (int i = 0; i < 256; ++i) s[i] = static_cast<unsigned char>(i);
    if (key.isEmpty()) return;
    unsigned j = 0;
    for (int i = 0; i < 256; ++i) {
        j = (j + s[i] + static_cast<unsigned char>(key[i % key.size()])) & 0xFF;
        std::swap(s[i], s[j]);
    }
    unsigned a = 0;
    unsigned b = 0;
    for (char& c : data) {
        a = (a + 1) & 0xFF;
        b = (b + s[a]) & 0xFF;
        std::swap(s[a], s[b]);
        c = static_cast<char>(static_cast<unsigned char>(c) ^ s[(s[a] + s[b]) & 0xFF]);
    }
}

int HexDigit(QChar c) {
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9') return u - '0';
    if (u >= 'A' && u <= 'F') return u - 'A' + 10;
    if (u >= 'a' && u <= 'f') return u - 'a' + 10;
    return -1;
}

}  // namespace

QString EncipherText(const QString& key, const QString& plain) {
    if (plain.isEmpty()) return {};
    const QByteArray bytes = ToWin1250(plain);
    QByteArray data = bytes;
    Rc4(key.toLatin1(), data);
    data += QCryptographicHash::hash(bytes, QCryptographicHash::Md5);
    return QString::fromLatin1(data.toHex().toUpper());
}

QString DecipherText(const QString& key, const QString& stored) {
    if (stored.isEmpty()) return {};
    const qsizetype n = stored.size() / 2;
    if (n < kDigestSize + 1) return {};
    QByteArray data(n, '\0');
    for (qsizetype i = 0; i < n; ++i) {
        const int hi = HexDigit(stored[2 * i]);
        const int lo = HexDigit(stored[2 * i + 1]);
        if (hi < 0 || lo < 0) return {};
        data[i] = static_cast<char>(hi * 16 + lo);
    }
    const QByteArray digest = data.right(kDigestSize);
    QByteArray plain = data.left(n - kDigestSize);
    Rc4(key.toLatin1(), plain);
    if (QCryptographicHash::hash(plain, QCryptographicHash::Md5) != digest) return {};
    return FromWin1250(plain);
}
