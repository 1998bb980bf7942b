#include "interpreter/SaveGame.h"

#include "assets/CharManager.h"
#include "assets/ImageLoader.h"
#include "audio/SoundPlayer.h"
#include "engine/CommandHandlers.h"
#include "engine/Exceptions.h"
#include "engine/FileSystem.h"
#include "engine/KvtEngine.h"
#include "engine/KvtVariables.h"
#include "engine/ProductGlobals.h"
#include "interpreter/ChoiceCommands.h"
#include "interpreter/Interpreter.h"
#include "render/BgControl.h"
#include "render/ScreenControls.h"
#include "render/SelboxControl.h"
#include "render/TextboxControl.h"

#include <QFileInfo>

#include <algorithm>

namespace {

// Paths inside the story's folders are kept relative, so a story folder
// that moves keeps its saves.
QString RelativeTo(const QString& folder, const QString& path)
{
    return !path.isEmpty() && path.startsWith(folder) ? path.mid(folder.size()) : path;
}

QString ResolveIn(const QString& folder, const QString& path)
{
    if (path.isEmpty() || IsAbsolutePath(path))
        return path;
    return ResolvePathIgnoringCase(folder + path);
}

TSavedBox CaptureBox(const TTransparentBox& box, const QString& imagesFolder)
{
    return {box.Color(), box.Alpha(), box.FrameInset(), RelativeTo(imagesFolder, box.PictureFile())};
}

// Any failure of one piece is reported, and the rest is still put back: a
// picture deleted since the save must not cost the reader the whole save.
void Attempt(QStringList& problems, const QString& what, const std::function<void()>& action)
{
    try {
        action();
    } catch (const std::exception& e) {
        problems.append(QStringLiteral("%1: %2").arg(what, DescribeException(e)));
    }
}

void ReloadOrClear(const TImageManager& images, const QString& name, TDxPicture& picture)
{
    if (name.isEmpty())
        picture.Clear();
    else
        images.ReloadImage(name, picture);
}

TSavedTextWindow CaptureTextWindow(TTextBox& t, const QString& imagesFolder)
{
    TSavedTextWindow s;
    s.Visible = t.Visible();
    s.Bounds = t.Bounds();
    s.Margins = t.Margins();
    s.Text = t.Text();
    s.Typed = std::min(t.Scroller().Position(), t.Scroller().Total() + 1);
    s.Speed = t.Speed();
    s.HasName = t.HasName();
    s.Name = t.Name();
    s.NameFont = t.NameFont();
    s.NameAuto = t.NameAuto();
    s.NamePos = t.NamePos();
    s.CharTextAuto = t.CharTextAuto();
    s.CharTextPos = t.CharTextPos();
    s.NarrationFont = t.NarrationFont();
    s.CharTextFont = t.CharTextFont();
    s.Box = CaptureBox(t.Box(), imagesFolder);
    s.Cursor = t.CursorPicture().ImageName();
    s.CursorFrame = t.CursorPicture().CurrentFrame();
    s.CursorTick = t.CursorPicture().LastFrameTick();
    return s;
}

} // namespace

// ---------------------------------------------------------------- capture

TSaveState TSaveGame::Capture() const
{
    const TKvtParser& parser = parts_.Parser;
    const TInterpreter& story = parts_.Story;
    const QString images = parser.ImagesFolder();
    TSaveState s;
    s.Story = {QFileInfo(parser.ScriptFile()).fileName(), parser.ScriptFile(), parts_.Product.ProductCompany(),
               parts_.Product.ProductName()};
    s.Saved = QDateTime::currentDateTimeUtc();
    s.StoryTime = parts_.Clock.TickCount();
    s.Title = story.Title();
    s.Chapter = story.Chapter();
    s.Section = story.Section();
    s.Position = EncodePosition(parser, parser.Position);
    for (const TStackFrame& frame : parser.Stack())
        s.Stack.push_back({EncodePosition(parser, frame.ReturnLine), frame.Params});
    s.WaitState = story.WaitState;
    // Only a timed wait has time left that means anything.
    s.WaitRemaining = story.WaitState == WaitStates::Interval ? story.WaitRemaining : 0;
    s.InTextBlock = story.InTextBlock;
    s.Halted = story.Halted;
    const TKvtVariables& variables = parts_.Variables;
    for (int i = 0; i < variables.Count(); ++i)
        if (!IsGlobalName(variables.GetName(i)))
            s.Locals.emplace_back(variables.GetName(i), variables.GetValue(i));

    s.Text = CaptureTextWindow(parts_.TextBox, images);

    const TSelectionBox& box = parts_.SelectionBox;
    s.Menu = {parts_.Choices.PendingItems(), box.Visible(), box.Selected(), box.Margins(), box.HighlightColor(),
              box.Font(), CaptureBox(box.Box(), images), box.LeftCursor().ImageName(),
              box.RightCursor().ImageName()};

    const TBgControl& bg = parts_.Background;
    s.Background = {bg.Color(), RelativeTo(images, bg.Picture().FileName()), bg.Fit(), bg.TintColor(), bg.Motion()};

    for (int i = 0; i < parts_.ScreenObjects.Count(); ++i) {
        const auto* image = dynamic_cast<const TScreenImg*>(&parts_.ScreenObjects.At(i));
        if (!image)
            continue;
        const auto* button = dynamic_cast<const TScreenButton*>(image);
        s.ScreenObjects.push_back({button != nullptr, image->Name(), image->Picture().ImageName(), image->X(),
                                   image->Y(), button ? button->Target() : QString(), image->Visible()});
    }

    // Registries first, then whatever a character holds beyond them.
    TSavedStage& stage = s.Stage;
    std::vector<const TActorData*> actors;
    for (int i = 0; i < parts_.Actors.Count(); ++i)
        actors.push_back(&parts_.Actors.Item(i));
    std::vector<const TCharPosition*> positions;
    for (int i = 0; i < parts_.Positions.Count(); ++i)
        positions.push_back(&parts_.Positions.Item(i));
    stage.RegisteredActors = int(actors.size());
    stage.RegisteredPositions = int(positions.size());
    const auto indexOf = [](auto& list, const auto* item) {
        const auto found = std::find(list.begin(), list.end(), item);
        if (found != list.end())
            return int(found - list.begin());
        list.push_back(item);
        return int(list.size()) - 1;
    };
    for (int i = 0; i < parts_.Chars.Count(); ++i) {
        const TCharSlot& slot = parts_.Chars.Item(i);
        TSavedChar c;
        c.Name = slot.Name();
        c.Actor = slot.Actor() ? indexOf(actors, slot.Actor().get()) : -1;
        c.HasPose = slot.Pose() != nullptr;
        if (slot.Pose())
            c.Pose = *slot.Pose();
        c.Position = slot.Position() ? indexOf(positions, slot.Position().get()) : -1;
        c.Visible = slot.Visible();
        c.X = slot.X();
        c.Y = slot.Y();
        stage.Chars.push_back(std::move(c));
    }
    for (const TActorData* actor : actors) {
        TSavedActor saved{actor->Name(), {}};
        for (const TPoseRef& pose : actor->Poses())
            saved.Poses.push_back(*pose);
        stage.Actors.push_back(std::move(saved));
    }
    for (const TCharPosition* position : positions)
        stage.Positions.push_back(*position);

    const TSoundPlayer& sound = parts_.Sound;
    s.Audio = {RelativeTo(parser.MusicFolder(), sound.MusicFile),
               sound.MusicTargetVolume,
               sound.MusicVolume,
               sound.MusicFadeRemaining,
               RelativeTo(parser.SoundFolder(), sound.BgSoundFile),
               sound.BgSoundLoop,
               sound.BgSoundVolume};
    s.MouseCursor = parts_.MouseCursor.ImageName();
    return s;
}

// ---------------------------------------------------------------- apply

void TSaveGame::CheckSameStory(const TSavedStory& saved) const
{
    const QString script = QFileInfo(parts_.Parser.ScriptFile()).fileName();
    const TProductGlobals& product = parts_.Product;
    // A product names the story even when its main script was renamed; a
    // story that has not named one yet (it has only just opened) goes by
    // its script.
    const bool byProduct = product.HasProduct() && !saved.Product.isEmpty();
    const bool other = byProduct ? saved.Product.compare(product.ProductName(), Qt::CaseInsensitive) != 0
                                       || saved.Company.compare(product.ProductCompany(), Qt::CaseInsensitive) != 0
                                 : saved.Script.compare(script, Qt::CaseInsensitive) != 0;
    if (other) {
        const QString name = saved.Product.isEmpty() ? saved.Script : saved.Product;
        throw ESaveFileError(QStringLiteral("This save belongs to another story (\"%1\"), not to the one loaded (\"%2\").")
                                 .arg(name, product.HasProduct() ? product.ProductName() : script));
    }
}

QStringList TSaveGame::Apply(const TSaveState& state)
{
    CheckSameStory(state.Story);
    TKvtParser& parser = parts_.Parser;
    QStringList problems;
    // Every line is placed before anything changes.
    const TPlacedPosition here = PlacePosition(parser, state.Position);
    if (!here.Problem.isEmpty())
        problems.append(QStringLiteral("The script changed since the save: ") + here.Problem + u'.');
    std::vector<TStackFrame> frames;
    for (const TSavedFrame& frame : state.Stack) {
        const TPlacedPosition back = PlacePosition(parser, frame.Return);
        if (!back.Problem.isEmpty())
            problems.append(QStringLiteral("The script changed since the save, a return line: ") + back.Problem + u'.');
        frames.push_back({back.Line, frame.Params});
    }

    RestoreVariables(state);
    parser.RestoreStack(std::move(frames), here.Line);
    // A story that moved elsewhere stops waiting where the save waited.
    const int32_t wait = here.Problem.isEmpty() ? state.WaitState : int32_t(WaitStates::Run);
    parts_.Story.RestoreDriver(wait, state.WaitRemaining, here.Problem.isEmpty() && state.InTextBlock, state.Halted);
    parts_.Story.RestoreMarkers(state.Title, state.Chapter, state.Section);
    RestorePresentation(state, problems);
    RestoreStage(state.Stage, problems);
    RestoreAudio(state.Audio, problems);
    if (parts_.Host.RepaintSuspended())
        parts_.Host.ResumeRepaint();
    parts_.Host.Invalidate();
    return problems;
}

void TSaveGame::RestoreVariables(const TSaveState& state)
{
    if (!state.Story.Product.isEmpty())
        parts_.Product.SetProduct(state.Story.Company, state.Story.Product);
    parts_.Variables.ClearLocals();
    for (const auto& [name, value] : state.Locals)
        if (!name.isEmpty() && !IsGlobalName(name))
            parts_.Variables.SetStr(name, value);
}

void TSaveGame::RestorePresentation(const TSaveState& state, QStringList& problems)
{
    const QString images = parts_.Parser.ImagesFolder();
    const TImageManager& imageManager = parts_.Images;

    TTextBox& t = parts_.TextBox;
    const TSavedTextWindow& text = state.Text;
    t.ResetLook();
    t.SetBounds(text.Bounds);
    t.SetMargins(text.Margins.left, text.Margins.top, text.Margins.right, text.Margins.bottom);
    text.NameAuto ? t.SetNameAuto() : t.SetNamePos(text.NamePos);
    text.CharTextAuto ? t.SetCharTextAuto() : t.SetCharTextPos(text.CharTextPos);
    t.SetNarrationFont(text.NarrationFont);
    t.SetCharTextFont(text.CharTextFont);
    t.SetNameFont(text.NameFont);
    t.SetSpeed(text.Speed);
    t.SetBoxColor(text.Box.Color);
    t.SetBoxFrameInset(text.Box.FrameInset);
    t.SetBoxAlpha(uint8_t(text.Box.Alpha));
    if (!text.Box.Picture.isEmpty())
        Attempt(problems, QStringLiteral("Text window picture"), [&] { t.LoadBoxPicture(ResolveIn(images, text.Box.Picture)); });
    text.HasName ? t.SetName(text.Name) : t.ClearName();
    t.SetText(text.Text);
    t.Scroller().SetPosition(std::min(text.Typed, t.Scroller().Total() + 1));
    t.SetVisible(text.Visible);
    Attempt(problems, QStringLiteral("Text cursor"), [&] {
        ReloadOrClear(imageManager, text.Cursor, t.CursorPicture());
        t.CursorPicture().RestoreAnimation(text.CursorFrame, text.CursorTick);
    });

    TSelectionBox& box = parts_.SelectionBox;
    const TSavedMenu& menu = state.Menu;
    box.ResetLook();
    box.SetMargins(menu.Margins.left, menu.Margins.top, menu.Margins.right, menu.Margins.bottom);
    box.SetHighlightColor(menu.Highlight);
    box.SetFont(menu.Font);
    box.SetBoxColor(menu.Box.Color);
    box.SetBoxFrameInset(menu.Box.FrameInset);
    box.SetBoxAlpha(uint8_t(menu.Box.Alpha));
    if (!menu.Box.Picture.isEmpty())
        Attempt(problems, QStringLiteral("Menu picture"), [&] { box.LoadBoxPicture(ResolveIn(images, menu.Box.Picture)); });
    Attempt(problems, QStringLiteral("Menu cursor"), [&] { ReloadOrClear(imageManager, menu.LeftCursor, box.LeftCursor()); });
    Attempt(problems, QStringLiteral("Menu cursor"), [&] { ReloadOrClear(imageManager, menu.RightCursor, box.RightCursor()); });
    parts_.Choices.RestoreMenu(menu.Items, menu.Shown);
    if (menu.Shown && menu.Selected >= 0)
        box.Select(menu.Selected);

    TBgControl& bg = parts_.Background;
    const TSavedBackground& saved = state.Background;
    bg.ClearPicture();
    bg.SetColor(saved.Color);
    bg.SetFit(saved.Fit);
    if (!saved.Picture.isEmpty())
        Attempt(problems, QStringLiteral("Background"), [&] { bg.SetPicture(ResolveIn(images, saved.Picture)); });
    bg.SetTintColor(saved.TintColor);
    bg.SetMotion(saved.Motion);

    parts_.ScreenObjects.Clear();
    for (const TSavedScreenObject& o : state.ScreenObjects) {
        Attempt(problems, QStringLiteral("Screen object \"%1\"").arg(o.Name), [&] {
            if (o.Button)
                parts_.Choices.PlaceButton(o.Name, o.Image, o.X, o.Y, o.Target);
            else
                parts_.Choices.PlaceImage(o.Name, o.Image, o.X, o.Y);
            parts_.ScreenObjects.Find(o.Name)->SetVisible(o.Visible);
        });
    }

    const bool cursor = !state.MouseCursor.isEmpty();
    Attempt(problems, QStringLiteral("Mouse cursor"), [&] { ReloadOrClear(imageManager, state.MouseCursor, parts_.MouseCursor); });
    parts_.ShowMouseCursor(cursor && !parts_.MouseCursor.IsEmpty());
}

void TSaveGame::RestoreStage(const TSavedStage& stage, QStringList& problems)
{
    parts_.Chars.ClearChars();
    parts_.Actors.ClearActors();
    parts_.Positions.ClearPositions();
    std::vector<TActorRef> actors;
    for (size_t i = 0; i < stage.Actors.size(); ++i) {
        const TSavedActor& saved = stage.Actors[i];
        TActorRef actor;
        if (int(i) < stage.RegisteredActors) {
            parts_.Actors.AddActor(saved.Name);
            actor = parts_.Actors.FindActor(saved.Name);
        } else {
            actor = std::make_shared<TActorData>(saved.Name);
        }
        for (const TActorPose& pose : saved.Poses)
            actor->SetPose(pose.Name, pose.FileName);
        actors.push_back(std::move(actor));
    }
    std::vector<TPositionRef> positions;
    for (size_t i = 0; i < stage.Positions.size(); ++i) {
        const TCharPosition& saved = stage.Positions[i];
        TPositionRef position = int(i) < stage.RegisteredPositions ? parts_.Positions.AddOrGetPosition(saved.Name)
                                                                   : std::make_shared<TCharPosition>(saved);
        parts_.Positions.SetPlacement(*position, saved.X, saved.Y, saved.Align);
        parts_.Positions.SetDefault(*position, saved.IsDefault);
        position->LastUsed = saved.LastUsed;
        position->UseOrder = saved.UseOrder;
        position->Occupied = false;
        positions.push_back(std::move(position));
    }
    for (const TSavedChar& c : stage.Chars) {
        const TActorRef actor = c.Actor >= 0 ? actors[size_t(c.Actor)] : nullptr;
        TPoseRef pose;
        if (c.HasPose) {
            pose = actor ? actor->FindPose(c.Pose.Name) : nullptr;
            // A pose redefined after the character took it stays as it was worn.
            if (!pose || pose->FileName != c.Pose.FileName)
                pose = std::make_shared<TActorPose>(c.Pose);
        }
        const TPositionRef position = c.Position >= 0 ? positions[size_t(c.Position)] : nullptr;
        Attempt(problems, QStringLiteral("Character \"%1\"").arg(c.Name), [&] {
            parts_.Chars.RestoreChar(c.Name, actor, pose, position, c.Visible, {c.X, c.Y});
        });
    }
}

// A piece that already plays goes on undisturbed; others start again from
// their beginning, at the volume they had.
void TSaveGame::RestoreAudio(const TSavedAudio& audio, QStringList& problems)
{
    TSoundPlayer& sound = parts_.Sound;
    const QString music = ResolveIn(parts_.Parser.MusicFolder(), audio.Music);
    Attempt(problems, QStringLiteral("Music"), [&] {
        if (music != sound.MusicFile)
            sound.PlayMusic(music, audio.MusicVolume, 0);
        if (!music.isEmpty()) {
            sound.MusicVolume = float(audio.MusicCurrentVolume);
            sound.SetMusicVolume(audio.MusicVolume, audio.MusicFadeRemaining);
        }
    });
    const QString bgSound = ResolveIn(parts_.Parser.SoundFolder(), audio.BgSound);
    Attempt(problems, QStringLiteral("Background sound"), [&] {
        if (bgSound != sound.BgSoundFile || audio.BgSoundLoop != sound.BgSoundLoop)
            sound.PlayBgSound(bgSound, !audio.BgSoundLoop, audio.BgSoundVolume);
        else if (!bgSound.isEmpty())
            sound.SetBgSoundVolume(audio.BgSoundVolume);
    });
}

// ---------------------------------------------------------------- reload

QStringList TSaveGame::ReloadScript()
{
    TKvtParser& parser = parts_.Parser;
    const QString file = parser.ScriptFile();
    if (file.isEmpty())
        throw Exception(QStringLiteral("No script is loaded."));
    {
        // A script that no longer loads must not take the running one with it.
        TKvtParser probe;
        probe.ScrambleKey = parser.ScrambleKey;
        probe.LoadScript(file);
    }
    const TScriptPosition here = EncodePosition(parser, parser.Position);
    std::vector<std::pair<TScriptPosition, TParams>> frames;
    for (const TStackFrame& frame : parser.Stack())
        frames.emplace_back(EncodePosition(parser, frame.ReturnLine), frame.Params);

    parser.LoadScript(file);
    parts_.Story.Stepper().ScriptReloaded();
    QStringList problems;
    const TPlacedPosition placed = PlacePosition(parser, here);
    if (!placed.Problem.isEmpty())
        problems.append(QStringLiteral("The script changed: ") + placed.Problem + u'.');
    std::vector<TStackFrame> stack;
    for (const auto& [position, params] : frames) {
        const TPlacedPosition back = PlacePosition(parser, position);
        if (!back.Problem.isEmpty())
            problems.append(QStringLiteral("The script changed, a return line: ") + back.Problem + u'.');
        stack.push_back({back.Line, params});
    }
    parser.RestoreStack(std::move(stack), placed.Line);
    if (!placed.Problem.isEmpty())
        parts_.Story.RestoreDriver(WaitStates::Run, 0, false, false);
    return problems;
}

// ---------------------------------------------------------------- slots

QString TSaveGame::SaveFolder() const
{
    if (parts_.Product.HasProduct())
        return parts_.Product.GlobalsFolder();
    const QString base = UserDataFolder();
    const QString story = QFileInfo(parts_.Parser.ScriptFile()).completeBaseName();
    return base.isEmpty() ? QString() : base + QStringLiteral("/KvtParser/saves/") + story + u'/';
}

QString TSaveGame::SlotFileName(int slot)
{
    return QStringLiteral("save-%1.json").arg(slot, 2, 10, QLatin1Char('0'));
}

QString TSaveGame::QuickSaveFileName()
{
    return QStringLiteral("quicksave.json");
}
