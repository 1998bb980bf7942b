#include "interpreter/ScriptedReader.h"

#include "engine/Exceptions.h"

namespace {

[[noreturn]] void RaiseBadEvent(const QString& event)
{
    throw Exception(QStringLiteral("Invalid input event: \"%1\".").arg(event));
}

int ReadNumber(const QString& word, const QString& event)
{
    bool ok = false;
    const int value = word.toInt(&ok);
    if (!ok)
        RaiseBadEvent(event);
    return value;
}

TReaderKey ReadKey(const QString& word, const QString& event)
{
    const QString key = word.toLower();
    if (key == u"enter")
        return TReaderKey::Enter;
    if (key == u"space")
        return TReaderKey::Space;
    if (key == u"up")
        return TReaderKey::Up;
    if (key == u"down")
        return TReaderKey::Down;
    RaiseBadEvent(event);
}

TReaderEvent ParseOneEvent(const QString& event)
{
    const QStringList words = event.split(u' ', Qt::SkipEmptyParts);
    const QString verb = words.value(0).toLower();
    TReaderEvent result;
    if (verb == u"click" && words.size() == 1) {
        result.Kind = TReaderEvent::TKind::Click;
    } else if ((verb == u"click" || verb == u"move") && words.size() == 3) {
        result.Kind = verb == u"click" ? TReaderEvent::TKind::ClickAt : TReaderEvent::TKind::Move;
        result.X = ReadNumber(words[1], event);
        result.Y = ReadNumber(words[2], event);
    } else if (verb == u"key" && words.size() == 2) {
        result.Kind = TReaderEvent::TKind::Key;
        result.Key = ReadKey(words[1], event);
    } else if (verb == u"wait" && words.size() == 2) {
        result.Kind = TReaderEvent::TKind::Wait;
        const int ms = ReadNumber(words[1], event);
        if (ms < 0)
            RaiseBadEvent(event);
        result.Ms = uint32_t(ms);
    } else {
        RaiseBadEvent(event);
    }
    return result;
}

} // namespace

std::vector<TReaderEvent> ParseReaderEvents(const QString& text)
{
    std::vector<TReaderEvent> events;
    for (const QString& part : text.split(u';')) {
        const QString event = part.trimmed();
        if (!event.isEmpty())
            events.push_back(ParseOneEvent(event));
    }
    return events;
}

TScriptedReader::TOutcome TScriptedReader::Step(TInterpreter& story, uint32_t now)
{
    if (!story.WaitsForReader())
        return TOutcome::Idle;
    if (automatic_.Answer(story, now))
        return TOutcome::Delivered;
    if (automatic_.AutoPending(story))
        return TOutcome::Idle;  // the automatic answer comes once typing ends
    if (waiting_) {
        if (int32_t(now - waitUntil_) < 0)
            return TOutcome::Idle;
        waiting_ = false;
    }
    if (next_ >= events_.size())
        return TOutcome::Exhausted;
    const TReaderEvent& event = events_[next_++];
    if (event.Kind == TReaderEvent::TKind::Wait) {
        waiting_ = true;
        waitUntil_ = now + event.Ms;
        return TOutcome::Idle;
    }
    Deliver(event, story);
    return TOutcome::Delivered;
}

void TScriptedReader::CompleteSkippedText(TInterpreter& story)
{
    automatic_.CompleteSkippedText(story);
}

void TScriptedReader::Deliver(const TReaderEvent& event, TInterpreter& story)
{
    switch (event.Kind) {
    case TReaderEvent::TKind::Click:
        story.HandleTextWindowClick();
        break;
    case TReaderEvent::TKind::ClickAt:
        story.HandleMouseDown(event.X, event.Y);
        story.HandleMouseUp(event.X, event.Y);
        break;
    case TReaderEvent::TKind::Key:
        story.HandleKey(event.Key, false);
        break;
    case TReaderEvent::TKind::Move:
        story.HandleMouseMove(event.X, event.Y);
        break;
    case TReaderEvent::TKind::Wait:
        break;
    }
}
