#include "interpreter/SaveFile.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

#include <cmath>
#include <limits>

namespace {

const QString FormatName = QStringLiteral("kvtparser-save");
// Far beyond any real save (a thumbnail and the state are some kilobytes);
// a bigger file is no save of ours and is not read into memory.
constexpr qint64 MaxSaveFileBytes = 64 * 1024 * 1024;
constexpr double MaxCoordinate = 1e9;
constexpr int MaxZoom = 100000;
constexpr int MaxWindowCoordinate = 32768;

// ---------------------------------------------------------------- writing

QJsonArray RectJson(const TRect& r)
{
    return {r.left, r.top, r.right, r.bottom};
}

QJsonArray MarginsJson(const TMargins& m)
{
    return {m.left, m.top, m.right, m.bottom};
}

QJsonObject FontJson(const TFontInfo& f)
{
    return {{"name", f.name}, {"size", f.size}, {"style", int(f.style)}, {"color", qint64(f.color)}};
}

QJsonObject PositionJson(const TScriptPosition& p)
{
    return {{"label", p.Label}, {"offset", p.Offset}, {"file", p.File}, {"line", p.FileLine}, {"text", p.Text}};
}

QJsonObject BoxJson(const TSavedBox& b)
{
    return {{"color", qint64(b.Color)}, {"alpha", b.Alpha}, {"frameInset", b.FrameInset}, {"picture", b.Picture}};
}

QJsonArray TextJson(const TTextBlock& block)
{
    QJsonArray runs;
    for (const TStringChunk& chunk : block)
        runs.append(QJsonObject{{"font", FontJson(chunk.Font)}, {"text", chunk.Text}, {"lineBreak", chunk.LineBreak}});
    return runs;
}

QJsonObject TextWindowJson(const TSavedTextWindow& t)
{
    return {{"visible", t.Visible},          {"bounds", RectJson(t.Bounds)},
            {"margins", MarginsJson(t.Margins)}, {"text", TextJson(t.Text)},
            {"typed", t.Typed},              {"speed", t.Speed},
            {"hasName", t.HasName},          {"name", t.Name},
            {"nameFont", FontJson(t.NameFont)}, {"nameAuto", t.NameAuto},
            {"namePos", RectJson(t.NamePos)}, {"charTextAuto", t.CharTextAuto},
            {"charTextPos", RectJson(t.CharTextPos)}, {"narrationFont", FontJson(t.NarrationFont)},
            {"charTextFont", FontJson(t.CharTextFont)}, {"box", BoxJson(t.Box)},
            {"cursor", t.Cursor},            {"cursorFrame", t.CursorFrame},
            {"cursorTick", qint64(t.CursorTick)}};
}

QJsonObject MenuJson(const TSavedMenu& m)
{
    QJsonArray items;
    for (const TItemPair& item : m.Items)
        items.append(QJsonObject{{"caption", item.Caption}, {"target", item.Target}});
    return {{"items", items},
            {"shown", m.Shown},
            {"selected", m.Selected},
            {"margins", MarginsJson(m.Margins)},
            {"highlight", qint64(m.Highlight)},
            {"font", FontJson(m.Font)},
            {"box", BoxJson(m.Box)},
            {"leftCursor", m.LeftCursor},
            {"rightCursor", m.RightCursor}};
}

QJsonObject BackgroundJson(const TSavedBackground& b)
{
    const TBgMotion& m = b.Motion;
    return {{"color", qint64(b.Color)},     {"picture", b.Picture},
            {"fit", b.Fit},                 {"tintColor", qint64(b.TintColor)},
            {"x", m.X},                     {"y", m.Y},
            {"targetX", m.TargetX},         {"targetY", m.TargetY},
            {"moveRemaining", qint64(m.MoveRemaining)}, {"zoom", m.Zoom},
            {"targetZoom", m.TargetZoom},   {"zoomRemaining", qint64(m.ZoomRemaining)},
            {"tintAlpha", m.TintAlpha},     {"tintTarget", int(m.TintTarget)},
            {"tintRemaining", qint64(m.TintRemaining)}};
}

QJsonArray ScreenObjectsJson(const std::vector<TSavedScreenObject>& objects)
{
    QJsonArray out;
    for (const TSavedScreenObject& o : objects)
        out.append(QJsonObject{{"button", o.Button}, {"name", o.Name}, {"image", o.Image}, {"x", o.X},
                               {"y", o.Y}, {"target", o.Target}, {"visible", o.Visible}});
    return out;
}

QJsonObject PoseJson(const TActorPose& pose)
{
    return {{"name", pose.Name}, {"file", pose.FileName}};
}

QJsonObject StageJson(const TSavedStage& s)
{
    QJsonArray actors, positions, chars;
    for (const TSavedActor& actor : s.Actors) {
        QJsonArray poses;
        for (const TActorPose& pose : actor.Poses)
            poses.append(PoseJson(pose));
        actors.append(QJsonObject{{"name", actor.Name}, {"poses", poses}});
    }
    for (const TCharPosition& p : s.Positions)
        positions.append(QJsonObject{{"name", p.Name}, {"x", p.X}, {"y", p.Y}, {"align", int(p.Align)},
                                     {"default", p.IsDefault}, {"lastUsed", qint64(p.LastUsed)},
                                     {"useOrder", QString::number(p.UseOrder)}});
    for (const TSavedChar& c : s.Chars) {
        QJsonObject entry{{"name", c.Name}, {"actor", c.Actor}, {"position", c.Position},
                          {"visible", c.Visible}, {"x", c.X}, {"y", c.Y}};
        if (c.HasPose)
            entry.insert("pose", PoseJson(c.Pose));
        chars.append(entry);
    }
    return {{"actors", actors}, {"registeredActors", s.RegisteredActors}, {"positions", positions},
            {"registeredPositions", s.RegisteredPositions}, {"chars", chars}};
}

QJsonObject AudioJson(const TSavedAudio& a)
{
    return {{"music", a.Music},
            {"musicVolume", a.MusicVolume},
            {"musicCurrentVolume", a.MusicCurrentVolume},
            {"musicFadeRemaining", qint64(a.MusicFadeRemaining)},
            {"bgSound", a.BgSound},
            {"bgSoundLoop", a.BgSoundLoop},
            {"bgSoundVolume", a.BgSoundVolume}};
}

// ---------------------------------------------------------------- reading

[[noreturn]] void Fail(const QString& reason)
{
    throw ESaveFileError(reason);
}

// One JSON object of the file: every member is required and checked for its
// kind and range, and a failure names the member's path in the file.
class TReader {
public:
    TReader(QJsonObject object, QString path) : object_(std::move(object)), path_(std::move(path)) {}

    QString Str(const QString& key) const { return Need(key, QJsonValue::String, "a text").toString(); }
    bool Bool(const QString& key) const { return Need(key, QJsonValue::Bool, "true or false").toBool(); }
    double Num(const QString& key) const
    {
        const double value = Need(key, QJsonValue::Double, "a number").toDouble();
        if (!std::isfinite(value) || std::fabs(value) > MaxCoordinate)
            Bad(key, "a number in range");
        return value;
    }
    int64_t Int(const QString& key, int64_t low, int64_t high) const
    {
        const double value = Need(key, QJsonValue::Double, "an integer").toDouble();
        if (!(value >= double(low) && value <= double(high)) || std::floor(value) != value)
            Bad(key, QStringLiteral("an integer from %1 to %2").arg(low).arg(high));
        return int64_t(value);
    }
    int32_t Int32(const QString& key) const
    {
        return int32_t(Int(key, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
    }
    uint32_t UInt32(const QString& key) const { return uint32_t(Int(key, 0, std::numeric_limits<uint32_t>::max())); }
    TReader Obj(const QString& key) const { return {Need(key, QJsonValue::Object, "an object").toObject(), Path(key)}; }
    QJsonArray Arr(const QString& key) const { return Need(key, QJsonValue::Array, "a list").toArray(); }
    bool Has(const QString& key) const { return object_.contains(key); }
    // Entry `index` of the list `key`, which must be an object.
    TReader Item(const QJsonArray& list, const QString& key, qsizetype index) const
    {
        const QString path = Path(key) + u'[' + QString::number(index) + u']';
        if (!list[index].isObject())
            Fail(QStringLiteral("\"%1\" is not an object").arg(path));
        return {list[index].toObject(), path};
    }
    QString ItemStr(const QJsonArray& list, const QString& key, qsizetype index) const
    {
        if (!list[index].isString())
            Fail(QStringLiteral("\"%1[%2]\" is not a text").arg(Path(key)).arg(index));
        return list[index].toString();
    }
    [[noreturn]] void Bad(const QString& key, const QString& kind) const
    {
        Fail(QStringLiteral("\"%1\" is not %2").arg(Path(key), kind));
    }

private:
    QString Path(const QString& key) const { return path_.isEmpty() ? key : path_ + u'.' + key; }
    QJsonValue Need(const QString& key, QJsonValue::Type type, const char* kind) const
    {
        const QJsonValue value = object_.value(key);
        if (value.isUndefined())
            Fail(QStringLiteral("\"%1\" is missing").arg(Path(key)));
        if (value.type() != type)
            Bad(key, QString::fromLatin1(kind));
        return value;
    }

    QJsonObject object_;
    QString path_;
};

TRect ReadRect(const TReader& in, const QString& key)
{
    const QJsonArray v = in.Arr(key);
    if (v.size() != 4)
        in.Bad(key, "a list of four integers");
    int values[4];
    for (int i = 0; i < 4; ++i) {
        const double d = v[i].toDouble(std::nan(""));
        if (!v[i].isDouble() || std::floor(d) != d || std::fabs(d) > MaxCoordinate)
            in.Bad(key, "a list of four integers");
        values[i] = int(d);
    }
    return {values[0], values[1], values[2], values[3]};
}

TMargins ReadMargins(const TReader& in, const QString& key)
{
    const TRect r = ReadRect(in, key);
    return {r.left, r.top, r.right, r.bottom};
}

TColorValue ReadColor(const TReader& in, const QString& key)
{
    return TColorValue(in.Int(key, 0, 0xFFFFFFFFLL));
}

TFontInfo ReadFont(const TReader& in)
{
    TFontInfo f;
    f.name = in.Str("name");
    f.size = int(in.Int("size", -100000, 100000));
    f.style = uint8_t(in.Int("style", 0, 255));
    f.color = ReadColor(in, "color");
    return f;
}

TScriptPosition ReadPosition(const TReader& in)
{
    TScriptPosition p;
    p.Label = in.Str("label");
    p.Offset = int32_t(in.Int("offset", 0, std::numeric_limits<int32_t>::max()));
    p.File = in.Str("file");
    p.FileLine = int32_t(in.Int("line", 0, std::numeric_limits<int32_t>::max()));
    p.Text = in.Str("text");
    return p;
}

TSavedBox ReadBox(const TReader& in)
{
    TSavedBox b;
    b.Color = ReadColor(in, "color");
    b.Alpha = int(in.Int("alpha", 0, 255));
    b.FrameInset = int(in.Int("frameInset", -100000, 100000));
    b.Picture = in.Str("picture");
    return b;
}

TTextBlock ReadText(const TReader& in, const QString& key)
{
    const QJsonArray runs = in.Arr(key);
    TTextBlock block;
    for (qsizetype i = 0; i < runs.size(); ++i) {
        const TReader run = in.Item(runs, key, i);
        block.append({ReadFont(run.Obj("font")), run.Str("text"), run.Bool("lineBreak")});
    }
    return block;
}

TSavedTextWindow ReadTextWindow(const TReader& in)
{
    TSavedTextWindow t;
    t.Visible = in.Bool("visible");
    t.Bounds = ReadRect(in, "bounds");
    // As "twpos" allows: a window with an inside, coordinates a texture fits.
    const auto inRange = [](int v) { return v >= -MaxWindowCoordinate && v <= MaxWindowCoordinate; };
    const TRect& b = t.Bounds;
    if (b.right <= b.left || b.bottom <= b.top || !inRange(b.left) || !inRange(b.top) || !inRange(b.right)
        || !inRange(b.bottom))
        in.Bad("bounds", "a window rectangle");
    t.Margins = ReadMargins(in, "margins");
    t.Text = ReadText(in, "text");
    t.Typed = int32_t(in.Int("typed", 0, std::numeric_limits<int32_t>::max()));
    t.Speed = in.Int32("speed");
    t.HasName = in.Bool("hasName");
    t.Name = in.Str("name");
    t.NameFont = ReadFont(in.Obj("nameFont"));
    t.NameAuto = in.Bool("nameAuto");
    t.NamePos = ReadRect(in, "namePos");
    t.CharTextAuto = in.Bool("charTextAuto");
    t.CharTextPos = ReadRect(in, "charTextPos");
    t.NarrationFont = ReadFont(in.Obj("narrationFont"));
    t.CharTextFont = ReadFont(in.Obj("charTextFont"));
    t.Box = ReadBox(in.Obj("box"));
    t.Cursor = in.Str("cursor");
    t.CursorFrame = int(in.Int("cursorFrame", 0, 1000000));
    t.CursorTick = in.UInt32("cursorTick");
    return t;
}

TSavedMenu ReadMenu(const TReader& in)
{
    TSavedMenu m;
    const QJsonArray items = in.Arr("items");
    for (qsizetype i = 0; i < items.size(); ++i) {
        const TReader item = in.Item(items, "items", i);
        m.Items.push_back({item.Str("caption"), item.Str("target")});
    }
    m.Shown = in.Bool("shown");
    m.Selected = int(in.Int("selected", -1, qsizetype(m.Items.size()) - 1));
    m.Margins = ReadMargins(in, "margins");
    m.Highlight = ReadColor(in, "highlight");
    m.Font = ReadFont(in.Obj("font"));
    m.Box = ReadBox(in.Obj("box"));
    m.LeftCursor = in.Str("leftCursor");
    m.RightCursor = in.Str("rightCursor");
    return m;
}

TSavedBackground ReadBackground(const TReader& in)
{
    TSavedBackground b;
    b.Color = ReadColor(in, "color");
    b.Picture = in.Str("picture");
    b.Fit = in.Bool("fit");
    b.TintColor = ReadColor(in, "tintColor");
    TBgMotion& m = b.Motion;
    m.X = in.Num("x");
    m.Y = in.Num("y");
    m.TargetX = in.Num("targetX");
    m.TargetY = in.Num("targetY");
    m.MoveRemaining = in.UInt32("moveRemaining");
    m.Zoom = in.Num("zoom");
    m.TargetZoom = in.Int32("targetZoom");
    m.ZoomRemaining = in.UInt32("zoomRemaining");
    if (m.Zoom <= 0 || m.Zoom > MaxZoom)
        in.Bad("zoom", "a zoom above 0 and up to 100000");
    if (m.TargetZoom <= 0 || m.TargetZoom > MaxZoom)
        in.Bad("targetZoom", "a zoom above 0 and up to 100000");
    m.TintAlpha = in.Num("tintAlpha");
    if (m.TintAlpha < 0 || m.TintAlpha > 255)
        in.Bad("tintAlpha", "an alpha from 0 to 255");
    m.TintTarget = uint8_t(in.Int("tintTarget", 0, 255));
    m.TintRemaining = in.UInt32("tintRemaining");
    return b;
}

std::vector<TSavedScreenObject> ReadScreenObjects(const TReader& in, const QString& key)
{
    const QJsonArray list = in.Arr(key);
    std::vector<TSavedScreenObject> out;
    for (qsizetype i = 0; i < list.size(); ++i) {
        const TReader o = in.Item(list, key, i);
        out.push_back({o.Bool("button"), o.Str("name"), o.Str("image"), o.Int32("x"), o.Int32("y"),
                       o.Str("target"), o.Bool("visible")});
    }
    return out;
}

TActorPose ReadPose(const TReader& in)
{
    return {in.Str("name"), in.Str("file")};
}

TSavedStage ReadStage(const TReader& in)
{
    TSavedStage s;
    const QJsonArray actors = in.Arr("actors");
    for (qsizetype i = 0; i < actors.size(); ++i) {
        const TReader a = in.Item(actors, "actors", i);
        TSavedActor actor{a.Str("name"), {}};
        const QJsonArray poses = a.Arr("poses");
        for (qsizetype j = 0; j < poses.size(); ++j)
            actor.Poses.push_back(ReadPose(a.Item(poses, "poses", j)));
        s.Actors.push_back(std::move(actor));
    }
    s.RegisteredActors = int(in.Int("registeredActors", 0, qsizetype(s.Actors.size())));
    const QJsonArray positions = in.Arr("positions");
    for (qsizetype i = 0; i < positions.size(); ++i) {
        const TReader p = in.Item(positions, "positions", i);
        TCharPosition position;
        position.Name = p.Str("name");
        position.X = p.Int32("x");
        position.Y = p.Int32("y");
        position.Align = uint8_t(p.Int("align", 0, 15));
        position.IsDefault = p.Bool("default");
        position.LastUsed = p.UInt32("lastUsed");
        bool ok = false;
        position.UseOrder = p.Str("useOrder").toULongLong(&ok);
        if (!ok)
            p.Bad("useOrder", "a count");
        s.Positions.push_back(std::move(position));
    }
    s.RegisteredPositions = int(in.Int("registeredPositions", 0, qsizetype(s.Positions.size())));
    const QJsonArray chars = in.Arr("chars");
    for (qsizetype i = 0; i < chars.size(); ++i) {
        const TReader c = in.Item(chars, "chars", i);
        TSavedChar ch;
        ch.Name = c.Str("name");
        ch.Actor = int(c.Int("actor", -1, qsizetype(s.Actors.size()) - 1));
        ch.HasPose = c.Has("pose");
        if (ch.HasPose)
            ch.Pose = ReadPose(c.Obj("pose"));
        ch.Position = int(c.Int("position", -1, qsizetype(s.Positions.size()) - 1));
        ch.Visible = c.Bool("visible");
        ch.X = c.Int32("x");
        ch.Y = c.Int32("y");
        s.Chars.push_back(std::move(ch));
    }
    return s;
}

TSavedAudio ReadAudio(const TReader& in)
{
    TSavedAudio a;
    a.Music = in.Str("music");
    a.MusicVolume = int(in.Int("musicVolume", 0, 255));
    a.MusicCurrentVolume = in.Num("musicCurrentVolume");
    if (a.MusicCurrentVolume < 0 || a.MusicCurrentVolume > 255)
        in.Bad("musicCurrentVolume", "a volume from 0 to 255");
    a.MusicFadeRemaining = in.UInt32("musicFadeRemaining");
    a.BgSound = in.Str("bgSound");
    a.BgSoundLoop = in.Bool("bgSoundLoop");
    a.BgSoundVolume = int(in.Int("bgSoundVolume", 0, 255));
    return a;
}

void ReadHeader(const TReader& in, TSaveState& s)
{
    if (!in.Has("format") || in.Str("format") != FormatName)
        Fail(QStringLiteral("this is not a KvtParser save"));
    const int64_t version = in.Int("version", 1, std::numeric_limits<int32_t>::max());
    if (version > SaveFormatVersion)
        Fail(QStringLiteral("it was written by a newer KvtParser (save format %1; this one reads up to %2)")
                 .arg(version)
                 .arg(SaveFormatVersion));
    const TReader story = in.Obj("story");
    s.Story = {story.Str("script"), story.Str("scriptPath"), story.Str("company"), story.Str("product")};
    s.Saved = QDateTime::fromString(in.Str("saved"), Qt::ISODate);
    if (!s.Saved.isValid())
        in.Bad("saved", "a date and time");
    s.StoryTime = in.UInt32("storyTime");
    s.Title = in.Str("title");
    s.Chapter = in.Str("chapter");
    s.Section = in.Str("section");
    const QByteArray thumbnail = in.Str("thumbnail").toLatin1();
    const auto decoded = QByteArray::fromBase64Encoding(thumbnail, QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded)
        in.Bad("thumbnail", "base64 text");
    s.Thumbnail = *decoded;
}

void ReadDriver(const TReader& in, TSaveState& s)
{
    s.Position = ReadPosition(in.Obj("position"));
    const QJsonArray stack = in.Arr("stack");
    for (qsizetype i = 0; i < stack.size(); ++i) {
        const TReader frame = in.Item(stack, "stack", i);
        TSavedFrame saved{ReadPosition(frame.Obj("return")), {}};
        const QJsonArray params = frame.Arr("params");
        for (qsizetype j = 0; j < params.size(); ++j)
            saved.Params.append(frame.ItemStr(params, "params", j));
        s.Stack.push_back(std::move(saved));
    }
    const TReader wait = in.Obj("wait");
    s.WaitState = int32_t(wait.Int("state", 0, 6));
    s.WaitRemaining = wait.UInt32("remaining");
    s.InTextBlock = wait.Bool("inTextBlock");
    s.Halted = wait.Bool("halted");
    const QJsonArray locals = in.Arr("locals");
    for (qsizetype i = 0; i < locals.size(); ++i) {
        const TReader local = in.Item(locals, "locals", i);
        s.Locals.emplace_back(local.Str("name"), local.Str("value"));
    }
}

} // namespace

QByteArray WriteSaveData(const TSaveState& s)
{
    QJsonArray stack, locals;
    for (const TSavedFrame& frame : s.Stack)
        stack.append(QJsonObject{{"return", PositionJson(frame.Return)}, {"params", QJsonArray::fromStringList(frame.Params)}});
    for (const auto& [name, value] : s.Locals)
        locals.append(QJsonObject{{"name", name}, {"value", value}});
    const QJsonObject root{
        {"format", FormatName},
        {"version", SaveFormatVersion},
        {"story", QJsonObject{{"script", s.Story.Script}, {"scriptPath", s.Story.ScriptPath},
                              {"company", s.Story.Company}, {"product", s.Story.Product}}},
        {"saved", s.Saved.toUTC().toString(Qt::ISODate)},
        {"storyTime", qint64(s.StoryTime)},
        {"title", s.Title},
        {"chapter", s.Chapter},
        {"section", s.Section},
        {"thumbnail", QString::fromLatin1(s.Thumbnail.toBase64())},
        {"position", PositionJson(s.Position)},
        {"stack", stack},
        {"wait", QJsonObject{{"state", s.WaitState}, {"remaining", qint64(s.WaitRemaining)},
                             {"inTextBlock", s.InTextBlock}, {"halted", s.Halted}}},
        {"locals", locals},
        {"textWindow", TextWindowJson(s.Text)},
        {"menu", MenuJson(s.Menu)},
        {"background", BackgroundJson(s.Background)},
        {"screenObjects", ScreenObjectsJson(s.ScreenObjects)},
        {"stage", StageJson(s.Stage)},
        {"audio", AudioJson(s.Audio)},
        {"mouseCursor", s.MouseCursor},
    };
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

TSaveState ReadSaveData(const QByteArray& data)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(data, &error);
    if (error.error != QJsonParseError::NoError)
        Fail(QStringLiteral("it is damaged or cut short (%1 at byte %2)").arg(error.errorString()).arg(error.offset));
    if (!document.isObject())
        Fail(QStringLiteral("this is not a KvtParser save"));
    const TReader in(document.object(), QString());
    TSaveState s;
    ReadHeader(in, s);
    ReadDriver(in, s);
    s.Text = ReadTextWindow(in.Obj("textWindow"));
    s.Menu = ReadMenu(in.Obj("menu"));
    s.Background = ReadBackground(in.Obj("background"));
    s.ScreenObjects = ReadScreenObjects(in, "screenObjects");
    s.Stage = ReadStage(in.Obj("stage"));
    s.Audio = ReadAudio(in.Obj("audio"));
    s.MouseCursor = in.Str("mouseCursor");
    return s;
}

void WriteSaveFile(const QString& fileName, const TSaveState& state)
{
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        throw ESaveFileError(QStringLiteral("Cannot write the save \"%1\": %2").arg(fileName, file.errorString()));
    file.write(WriteSaveData(state));
    if (!file.commit())
        throw ESaveFileError(QStringLiteral("Cannot write the save \"%1\": %2").arg(fileName, file.errorString()));
}

TSaveState ReadSaveFile(const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw ESaveFileError(QStringLiteral("Cannot open the save \"%1\": %2").arg(fileName, file.errorString()));
    if (file.size() > MaxSaveFileBytes)
        throw ESaveFileError(QStringLiteral("Cannot load the save \"%1\": it is too large to be a save.").arg(fileName));
    try {
        return ReadSaveData(file.readAll());
    } catch (const ESaveFileError& e) {
        throw ESaveFileError(QStringLiteral("Cannot load the save \"%1\": %2.").arg(fileName, e.Message()));
    }
}
