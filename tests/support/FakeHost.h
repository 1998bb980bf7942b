#pragma once

#include "interpreter/InterpreterHost.h"

#include <QStringList>

#include <functional>

// Records what the driver asks of its window.
class TFakeHost : public TInterpreterHost {
public:
    void Log(const QString& message) override { LogLines.append(message); }
    void RenderFrame() override { ++FramesRendered; }
    void PumpMessages() override
    {
        if (OnPump)
            OnPump();
    }
    void CloseMainWindow() override { ++CloseRequests; }
    void Invalidate() override {}
    void SuspendRepaint() override { Suspended = true; }
    void ResumeRepaint() override { Suspended = false; }
    bool RepaintSuspended() const override { return Suspended; }
    void SetTitle(const QString& title) override { Title = title; }

    QStringList LogLines;
    int FramesRendered = 0;
    int CloseRequests = 0;
    bool Suspended = false;
    QString Title;
    std::function<void()> OnPump;
};
