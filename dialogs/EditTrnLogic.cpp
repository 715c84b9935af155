// What the turn-point editor computes, without its window.
#include "dialogs/EditTrnLogic.h"

#include "model/Texts.h"

#include <algorithm>
#include <cmath>

TTraceClock ClockOf(const TTrj* T)
{
    TTraceClock c;
    if (!T) return c;
    c.Open = true;
    c.TimeLoc = T->TimeLoc;
    if (T->First) {
        c.TimeMin = T->TimeMin;
        c.TimeMax = T->TimeMax;
    }
    return c;
}

QString LocalTimeText(int32 Utc, int32 TimeLoc)
{
    // The hours fill their two places of the edit's mask from the right.
    return TimeToHms(int32(int64_t(Utc) + int64_t(TimeLoc) * TimeUnitsPerHour)).rightJustified(8, u' ');
}

bool TimeTextEmpty(const QString& Text)
{
    return std::none_of(Text.begin(), Text.end(), [](QChar c) { return c.isDigit(); });
}

bool ReadTimeText(const QString& Text, int32& Time)
{
    QString t = Text;
    t.remove(u' ');
    t.remove(u'_');
    return HmsToTime(t, Time);
}

int32 NearestDay(int32 Value, int32 Target)
{
    const double k = std::round((double(Target) - double(Value)) / TimeUnitsPerDay);
    const int64_t v = int64_t(Value) + int64_t(k) * TimeUnitsPerDay;
    return int32(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}

void CoupleSectChange(uint8 Kind, uint8 Shape, TSectEdit Changed, bool Radius2Hidden, TSectEdits& V)
{
    const bool courseLine = (Kind == siFinish || Kind == siExtFinish) && Shape == 2;
    if (!courseLine) {
        V.Angle1 = std::min(V.Angle1, 180);
        V.Angle2 = std::min(V.Angle2, 180);
    }
    if (Changed == TSectEdit::Radius1 && Radius2Hidden) V.Radius2 = V.Radius1;
    if (Kind == siTurn && Shape == 2)
        V.Radius2 = int32(std::min<int64_t>(V.Radius2, int64_t(V.Radius1) * 10));
}

void CoupleSectLeave(TSectEdit Left, TSectEdits& V)
{
    switch (Left) {
    case TSectEdit::Radius1:
        V.Radius2 = std::max(V.Radius2, V.Radius1);
        break;
    case TSectEdit::Radius2:
        V.Radius1 = std::min(V.Radius1, V.Radius2);
        break;
    case TSectEdit::Angle1:
        V.Angle2 = std::max(V.Angle2, V.Angle1);
        break;
    case TSectEdit::Angle2:
        V.Angle1 = std::min(V.Angle1, V.Angle2);
        break;
    }
}

TTrnValues ValuesOf(const TTrn& Trn)
{
    TTrnValues v;
    v.Name = Trn.Name;
    v.Comment = Trn.Comment;
    v.Lat = Trn.Lat;
    v.Lon = Trn.Lon;
    v.Time = Trn.Time;
    v.TimeMin = Trn.TimeMin;
    v.TimeMax = Trn.TimeMax;
    v.Reached = Trn.Reached;
    v.Sect = Trn.Sect;
    v.Extended = Trn.RefWpt != nullptr;
    if (Trn.RefWpt) {
        v.RefName = Trn.RefWpt->Name;
        v.RefComment = Trn.RefWpt->Comment;
        v.RefLat = Trn.RefWpt->Lat;
        v.RefLon = Trn.RefWpt->Lon;
    }
    return v;
}

int ReadTrnTexts(const TTrnEditTexts& T, const TTraceClock& Clock, bool Create, const TTrnValues& Old,
                 TTrnValues& Out)
{
    int errors = 0;
    Out = Old;
    Out.Name = T.Name.left(WptNameLen);
    Out.Comment = T.Cmnt.left(WptCommentLen);
    if (Out.Name.isEmpty()) ++errors;
    if (!ParseLat(T.Lati, Out.Lat)) ++errors;
    if (!ParseLon(T.Long, Out.Lon)) ++errors;

    const int32 shift =
        int32(std::clamp<int64_t>(int64_t(Clock.TimeLoc) * TimeUnitsPerHour, INT32_MIN, INT32_MAX));
    const auto utc = [shift](int32 local) {
        return int32(std::clamp<int64_t>(int64_t(local) - shift, INT32_MIN, INT32_MAX));
    };
    if (Create || (Clock.Open && !TimeTextEmpty(T.Time))) {
        int32 t = 0;
        if (ReadTimeText(T.Time, t)) {
            Out.Time = Clock.Open ? NearestDay(utc(t), Clock.Middle()) : utc(t);
            int32 b = 0;
            if (ReadTimeText(T.TimeBeg, b)) Out.TimeMin = NearestDay(utc(b), Out.Time);
            if (ReadTimeText(T.TimeEnd, b)) Out.TimeMax = NearestDay(utc(b), Out.Time);
            Out.Reached = 1;
        } else {
            ++errors;
        }
    } else {
        Out.Time = 0;
        Out.Reached = 0;
    }

    if (Create) {
        Out.Sect = TSect{};
    } else {
        Out.Sect = T.Default ? TSect{} : T.Sect;
    }

    Out.Extended = T.Extended;
    if (T.Extended) {
        if (Create) {
            Out.RefName = Out.Name;
            Out.RefComment = Out.Comment;
            Out.RefLat = Out.Lat;
            Out.RefLon = Out.Lon;
        } else {
            Out.RefName = T.RefName.left(WptNameLen);
            Out.RefComment = T.RefCmnt.left(WptCommentLen);
            if (Out.RefName.isEmpty()) ++errors;
            if (!ParseLat(T.RefLati, Out.RefLat)) ++errors;
            if (!ParseLon(T.RefLong, Out.RefLon)) ++errors;
        }
    }
    return errors;
}

void WriteTrn(TTrn& Trn, const TTrnValues& V)
{
    Trn.Name = V.Name;
    Trn.Comment = V.Comment;
    Trn.Lat = V.Lat;
    Trn.Lon = V.Lon;
    Trn.Time = V.Time;
    Trn.TimeMin = V.TimeMin;
    Trn.TimeMax = V.TimeMax;
    Trn.Reached = V.Reached;
    Trn.Sect = V.Sect;
    if (!V.Extended) {
        Trn.SetRefWpt(nullptr, true);
        return;
    }
    TWpt* ref = Trn.RefWpt;
    const bool same = ref && ref->Name == V.RefName && ref->Comment == V.RefComment && ref->Lat == V.RefLat &&
                      ref->Lon == V.RefLon;
    if (same) return;
    if (!ref || !Trn.RefOwned) {
        auto* copy = new TWpt;
        if (ref) static_cast<TWptBase&>(*copy) = static_cast<const TWptBase&>(*ref);
        Trn.SetRefWpt(copy, true);
        ref = copy;
    }
    ref->Name = V.RefName;
    ref->Comment = V.RefComment;
    ref->Lat = V.RefLat;
    ref->Lon = V.RefLon;
}
