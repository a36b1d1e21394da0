// Deciphering a stored password: any text gives the empty text or a password
// that enciphers back to the same digits; it never fails otherwise.
#include "cipher.h"
#include "codepage.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString stored = QString::fromLatin1(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QString key = QString::fromLatin1(kPasswordKey);
    const QString plain = DecipherText(key, stored);
    if (!plain.isEmpty()) {
        // A last odd digit is ignored; case does not count.
        const QString digits = stored.left(stored.size() / 2 * 2);
        if (EncipherText(key, plain).compare(digits, Qt::CaseInsensitive) != 0) std::abort();
    }
    // The input as a password: it comes back as it went in, as far as the code page reaches.
    const QString password = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QString enciphered = EncipherText(key, password);
    if (password.isEmpty() != enciphered.isEmpty()) std::abort();
    const QString back = DecipherText(key, enciphered);
    if (password.isEmpty() != back.isEmpty()) std::abort();
    if (FitsWin1250(password) && back != password) std::abort();
    (void)DecipherText(QStringLiteral("another key 0123"), stored);
    return 0;
}
