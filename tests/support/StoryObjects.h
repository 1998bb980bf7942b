#pragma once

#include "assets/CharManager.h"
#include "assets/ImageLoader.h"
#include "audio/SoundPlayer.h"
#include "engine/Clock.h"
#include "engine/CommandHandlers.h"
#include "engine/KvtEngine.h"
#include "engine/KvtVariables.h"
#include "engine/ProductGlobals.h"
#include "interpreter/ActorCommands.h"
#include "interpreter/AudioCommands.h"
#include "interpreter/CharacterLines.h"
#include "interpreter/ChoiceCommands.h"
#include "interpreter/CommandTable.h"
#include "interpreter/Interpreter.h"
#include "interpreter/MissingFiles.h"
#include "interpreter/PresentationCommands.h"
#include "render/BgControl.h"
#include "render/FontUtils.h"
#include "render/ScreenControls.h"
#include "render/SelboxControl.h"
#include "render/TextboxControl.h"
#include "support/FakeHost.h"

#include <memory>

// A story's objects wired as the main window wires them, on a virtual clock
// and a fake host. Members are declared in creation order.
struct TStoryObjects {
    TStoryObjects() { RegisterCommandTable(commands, {&story, &audio, &presentation, &cast, &choices}); }

    // What the window's device start-up does for the drawables, so that
    // pictures can be loaded and drawn.
    void AttachDevice()
    {
        TDirect3D direct3D;
        direct3D.CreateDevice(0, TPresentParams{1024, 768, true}, device);
        device->SetAlphaBlend(true);
        images.SetDevice(device);
        for (TGraphicObject* layer : {static_cast<TGraphicObject*>(&background), static_cast<TGraphicObject*>(&textBox),
                                      static_cast<TGraphicObject*>(&selectionBox), static_cast<TGraphicObject*>(&screenObjects),
                                      static_cast<TGraphicObject*>(&mouseCursor), static_cast<TGraphicObject*>(&chars)}) {
            layer->SetDevice(device);
            layer->DeviceReset();
        }
        fonts.SetDevice(device);
    }

    void Log(const QString& message) { host.Log(message); }

    TVirtualClock clock;
    TFakeHost host;
    TImageManager images{clock, [this](const QString& message) { Log(QStringLiteral("Images: ") + message); }};
    TKvtParser parser;
    TKvtVariables variables;
    TProductGlobals product{variables};
    TCommandManager commands;
    TSoundPlayer sound{clock, [this](const QString& message) { Log(message); }};
    TFontManager fonts;
    TBgControl background{clock};
    TTextBox textBox{fonts, clock};
    TSelectionBox selectionBox{fonts, clock};
    TScreenObjectMgr screenObjects;
    TTextCommands text{textBox, fonts, parser, variables};
    TDxPicture mouseCursor{clock};
    bool MouseCursorShown = false;
    TActorManager actors;
    TPositionManager positions;
    TCharManager chars{images, clock};
    TMissingFileReporter missingFiles{[this](const QString& message) { Log(message); }};
    TPresentationCommands presentation{{background, textBox, selectionBox, screenObjects, mouseCursor, chars,
                                        [this](bool on) { MouseCursorShown = on; }, fonts, images, parser,
                                        missingFiles, [this](const QString& message) { Log(message); }}};
    TChoiceCommands choices{{selectionBox, screenObjects, images, [this](const QString& message) { Log(message); }}};
    TActorCommands cast{actors, positions, chars, images};
    TCharacterLines speakers{textBox, actors, positions, chars, [this](const QString& message) { Log(message); }};
    TInterpreter story{{parser, variables, product, commands, sound, fonts, clock, host, textBox, text, images,
                        background, selectionBox, screenObjects, mouseCursor, presentation, choices, chars, cast,
                        speakers}};
    TAudioCommands audio{sound, parser, missingFiles, story, [this](const QString& message) { Log(message); }};
    std::shared_ptr<TDxDevice> device;
};
