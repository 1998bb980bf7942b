#pragma once

#include <QTemporaryDir>
#include <QtGlobal>

#include <gtest/gtest.h>

// Runs every test inside an application object of type TApplication. Tests
// never need a display or a sound card: the offscreen Qt platform and SDL's
// dummy audio driver are forced before anything initialises them.
template <class TApplication>
int RunAllTestsIn(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("SDL_AUDIODRIVER", "dummy");
    // Persisted globals of test stories must never land in the real home.
    QTemporaryDir dataHome;
    qputenv("XDG_DATA_HOME", dataHome.path().toUtf8());
    testing::InitGoogleTest(&argc, argv);
    TApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
