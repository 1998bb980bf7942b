#pragma once

#include "engine/Exceptions.h"
#include "support/StoryObjects.h"
#include "support/TempDir.h"

#include <QDir>

#include <gtest/gtest.h>

// A story's objects wired as the main window wires them, on a virtual clock.
class StoryFixture : public testing::Test, protected TStoryObjects {
protected:
    StoryFixture()
    {
        story.OnTextShown = [this](const QString& speaker, const QString& text) {
            Shown.append(speaker.isEmpty() ? text : speaker + ":" + text);
        };
    }
    void SetUp() override { savedCwd_ = QDir::currentPath(); }
    void TearDown() override { QDir::setCurrent(savedCwd_); }

    // Loads the lines as a script file and opens it. Texts then appear whole,
    // so one click ends a text's wait; typing tests set a speed themselves.
    void Open(const QString& text)
    {
        story.OpenScript(dir.WriteUtf8(QStringLiteral("story.kvt"), text));
        textBox.SetSpeed(0);
    }

    // One main-loop pass, with errors handled as the application does.
    void Frame()
    {
        try {
            story.AdvanceFrame();
        } catch (const Exception& e) {
            Errors.append(e.Message());
        }
        clock.Advance(16);
    }

    void Frames(int count)
    {
        for (int i = 0; i < count; ++i)
            Frame();
    }

    TTempDir dir;
    QStringList Shown;
    QStringList Errors;

private:
    QString savedCwd_;
};
