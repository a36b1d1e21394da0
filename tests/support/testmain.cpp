#include <QApplication>
#include <QFontDatabase>
#include <QTemporaryDir>
#include <cstdio>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // Never touch the real home folder, whatever a test forgets to set.
    QTemporaryDir home;
    qputenv("XDG_DATA_HOME", home.path().toUtf8());
    qputenv("XDG_CONFIG_HOME", (home.path() + "/config").toUtf8());
    // The fonts of the tests, whatever the machine has besides: pictures the
    // tests compare are drawn the same everywhere. Child processes inherit it.
    qputenv("FONTCONFIG_FILE", PRANDEL_TEST_FONTS_CONF);
    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("Prandel etykiet"));
    // Text drawn without a scalable font comes out as empty boxes with no error,
    // and without one of the two packages in other fonts; fail loudly instead.
    const QStringList families = QFontDatabase::families();
    if (!families.contains(QStringLiteral("DejaVu Sans")) || !families.contains(QStringLiteral("Liberation Sans"))) {
        std::fprintf(stderr, "Nie znaleziono czcionek testów: zainstaluj fonts-dejavu-core i fonts-liberation2.\n");
        return 1;
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
