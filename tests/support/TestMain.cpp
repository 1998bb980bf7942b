#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QTemporaryDir>

// Tests never need a display or a sound card: force the offscreen Qt platform
// and SDL's dummy audio driver before anything initialises them.
int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("SDL_AUDIODRIVER", "dummy");
    // Persisted globals of test stories must never land in the real home.
    QTemporaryDir dataHome;
    qputenv("XDG_DATA_HOME", dataHome.path().toUtf8());
    testing::InitGoogleTest(&argc, argv);
    QGuiApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
