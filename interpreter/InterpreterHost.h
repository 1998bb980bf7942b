#pragma once

#include <QString>

// What the driver needs from the window that hosts it. The window implements
// it; tests and headless runs substitute their own.
class TInterpreterHost {
public:
    virtual ~TInterpreterHost() = default;
    virtual void Log(const QString& message) = 0;
    // One frame drawn during a blocking wait.
    virtual void RenderFrame() = 0;
    // Lets the window handle pending input during a blocking wait.
    virtual void PumpMessages() = 0;
    // "exit": the window closes (and saves the globals on its way out).
    virtual void CloseMainWindow() = 0;
    // The layers changed and the window should be drawn again.
    virtual void Invalidate() = 0;
    virtual void SuspendRepaint() = 0;
    virtual void ResumeRepaint() = 0;
    virtual bool RepaintSuspended() const = 0;
    // "title": the window caption and the application's title.
    virtual void SetTitle(const QString& title) = 0;
};
