// The flight data model: list operations of traces, tasks, waypoint sets and zone sets, the
// chain of open traces and the global current instances.
#include "model/Define.h"

#include "model/Calc.h"
#include "model/ModelUi.h"
#include "model/Options.h"
#include "platform/Msg.h"
#include "platform/Numbers.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

// ---- Globals --------------------------------------------------------------------------------

TTrj* Trj = nullptr;
TTrj* FirstTrj = nullptr;
TSwp* Swp = nullptr;
TStn* Stn = nullptr;
TMap* Map = nullptr;
TSml* Sml = nullptr;
TSmp* Smp = nullptr;
TOpt* Opt = nullptr;
uint8 TrjMode = 0;
uint8 WptMode = 0;
bool SyncTrj = false;
bool SyncApply = false;
int Language = 0;
std::array<int32, 20> Colors = DefaultColors();
uint64_t WptGeneration = 0;

namespace {

// Bounds sentinels of an empty container. The differences of the time and altitude sentinels
// stay well inside int32, so a view computing a span of an empty trace cannot overflow.
constexpr int32 LatEmptyMin = 9000000, LatEmptyMax = -9000000;
constexpr int32 LonEmptyMin = 18000000, LonEmptyMax = -18000000;
constexpr int32 TimeEmptyMin = 99999999, TimeEmptyMax = -99999999;
constexpr int32 AltEmptyMin = 999999, AltEmptyMax = -999999;

// The 24-hour rule: a fix whose time lies this far before the previous fix's time was taken
// after midnight and moves forward by one day.
constexpr int32 DayWrapMin = 2300000;
constexpr int32 DayWrapMax = 2400000;

// A fix is inserted between two fixes only when both are at least this far from it.
constexpr int32 InsertMinGap = 10;

// Window around a turn point's passage time when its template gives none.
constexpr int32 TrnWindowHalf = 25000;

void ReportFull(const QString& fr, const QString& en)
{
    MessageDlg(Tr(fr, en), TMsgType::Error, mbOK);
}

void ReportFullRecs()
{
    ReportFull(QStringLiteral("Nombre maximum de points atteint (65535)."),
               QStringLiteral("Maximum number of points reached (65535)."));
}

void Widen(int32 v, int32& mn, int32& mx)
{
    if (v < mn) mn = v;
    if (v > mx) mx = v;
}

// Turn points that only point at a waypoint (not owning it) drop the reference when the
// waypoint goes. `inSet` tells whether a reference belongs to what is being freed.
template <class Pred> void DropWptRefs(Pred inSet)
{
    for (TTrj* T = FirstTrj; T; T = T->NextTrj) {
        if (!T->Stn) continue;
        for (TTrn* P = T->Stn->First; P; P = P->Next)
            if (P->RefWpt && !P->RefOwned && inSet(P->RefWpt)) {
                P->RefWpt = nullptr;
                P->RefOwned = true;
            }
    }
}

bool InChain(const TTrj* T)
{
    for (TTrj* P = FirstTrj; P; P = P->NextTrj)
        if (P == T) return true;
    return false;
}

// Unlinks a trace from the chain (it must be in it); the current trace moves to its next
// neighbour, else to its previous one.
void UnlinkTrj(TTrj* T)
{
    if (T->PrevTrj)
        T->PrevTrj->NextTrj = T->NextTrj;
    else
        FirstTrj = T->NextTrj;
    if (T->NextTrj) T->NextTrj->PrevTrj = T->PrevTrj;
    if (Trj == T) Trj = T->NextTrj ? T->NextTrj : T->PrevTrj;
    Stn = Trj ? Trj->Stn.get() : nullptr;
    T->PrevTrj = T->NextTrj = nullptr;
}

void FreeAllTrj()
{
    TTrj* T = FirstTrj;
    FirstTrj = Trj = nullptr;
    Stn = nullptr;
    while (T) {
        TTrj* N = T->NextTrj;
        delete T;
        T = N;
    }
}

} // namespace

// ---- TTrn ------------------------------------------------------------------------------------

TTrn::~TTrn()
{
    if (RefOwned) delete RefWpt;
}

void TTrn::SetRefWpt(TWpt* wpt, bool owned)
{
    if (RefWpt != wpt && RefOwned) delete RefWpt;
    RefWpt = wpt;
    RefOwned = wpt ? owned : true;
}

// ---- TStn ------------------------------------------------------------------------------------

TStn::~TStn()
{
    FreeAll();
}

void TStn::FreeAll()
{
    TTrn* P = First;
    First = Last = Cursor = Cursor2 = Cursor3 = SelTrn = nullptr;
    Count = 0;
    while (P) {
        TTrn* N = P->Next;
        delete P;
        P = N;
    }
}

TTrn* TStn::AddTrn(TTrn& Template, int Num)
{
    if (Count >= MaxListCount) {
        if (!fFullReported) {
            fFullReported = true;
            ReportFull(QStringLiteral("Nombre maximum de points de virage atteint (65535)."),
                       QStringLiteral("Maximum number of turn points reached (65535)."));
        }
        return nullptr;
    }
    auto* T = new TTrn;
    // Position and texts. The altitude, attributes and mark come along too, so that a copied
    // turn point loses nothing of its waypoint. A linked position is not copied: it belongs to
    // the template's context (a fix of some trace).
    static_cast<TWptBase&>(*T) = static_cast<const TWptBase&>(Template);
    T->Time = Template.Time;
    // The default window, kept inside the 32-bit range for extreme times.
    auto clamp = [](int64_t v) { return int32(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); };
    T->TimeMin = Template.TimeMin != 0 ? Template.TimeMin : clamp(int64_t(Template.Time) - TrnWindowHalf);
    T->TimeMax = Template.TimeMax != 0 ? Template.TimeMax : clamp(int64_t(Template.Time) + TrnWindowHalf);
    T->Reached = Template.Reached;
    T->Sect = Template.Sect;
    // The reference waypoint passes to the new turn point with its ownership.
    T->RefWpt = Template.RefWpt;
    T->RefOwned = Template.RefWpt ? Template.RefOwned : true;
    Template.RefWpt = nullptr;
    Template.RefOwned = true;
    T->Num = static_cast<uint16>(Num >= 0 ? Num : Count);

    T->Prev = Last;
    T->Next = nullptr;
    if (Last)
        Last->Next = T;
    else
        First = T;
    Last = T;
    Cursor = T;
    ++Count;
    return T;
}

void TStn::DeleteTrn(TTrn* Trn)
{
    if (!Trn) return;
    bool member = false;
    for (TTrn* P = First; P; P = P->Next)
        if (P == Trn) {
            member = true;
            break;
        }
    if (!member) return;

    TTrn* Neighbour = Trn->Next ? Trn->Next : Trn->Prev;
    if (Trn->Prev)
        Trn->Prev->Next = Trn->Next;
    else
        First = Trn->Next;
    if (Trn->Next)
        Trn->Next->Prev = Trn->Prev;
    else
        Last = Trn->Prev;
    for (TTrn** C : {&Cursor, &Cursor2, &Cursor3})
        if (*C == Trn) *C = Neighbour;
    if (SelTrn == Trn) SelTrn = nullptr;
    delete Trn; // frees its reference waypoint when it owns it
    --Count;
    fFullReported = false;

    uint16 n = 0;
    for (TTrn* P = First; P; P = P->Next) P->Num = n++;

    NotifyModelChanged();
    if (Count == 0 && this == ::Stn && ModelUi()) ModelUi()->TaskEmptied();
}

void TStn::Clear()
{
    const bool had = First != nullptr;
    FreeAll();
    fFullReported = false;
    if (had) {
        NotifyModelChanged();
        if (this == ::Stn && ModelUi()) ModelUi()->TaskEmptied();
    }
}

const TPos* TStn::TrnPos(const TTrn* Trn) const
{
    if (!Trn) return nullptr;
    return Trn->LinkPos ? Trn->LinkPos : static_cast<const TPos*>(Trn);
}

TTrn* TStn::Item(int index) const
{
    if (index < 0) return nullptr;
    TTrn* P = First;
    while (P && index-- > 0) P = P->Next;
    return P;
}

// ---- TSwp ------------------------------------------------------------------------------------

TSwp::TSwp()
{
    ResetBounds();
}

TSwp::~TSwp()
{
    FreeAll();
}

void TSwp::FreeAll()
{
    if (First) {
        ++WptGeneration;
        const TSwp* self = this;
        DropWptRefs([self](const TWpt* W) {
            for (TWpt* P = self->First; P; P = P->Next)
                if (P == W) return true;
            return false;
        });
    }
    TWpt* P = First;
    First = Last = Cursor = SelWpt = nullptr;
    Count = 0;
    while (P) {
        TWpt* N = P->Next;
        delete P;
        P = N;
    }
}

bool TSwp::AddWpt(std::unique_ptr<TWpt>& Wpt)
{
    if (!Wpt) return false;
    if (Count >= MaxListCount) {
        if (!fFullReported) {
            fFullReported = true;
            ReportFull(QStringLiteral("Nombre maximum de balises atteint (65535)."),
                       QStringLiteral("Maximum number of waypoints reached (65535)."));
        }
        return false;
    }
    TWpt* W = Wpt.release();
    W->Prev = Last;
    W->Next = nullptr;
    if (Last)
        Last->Next = W;
    else
        First = W;
    Last = W;
    Cursor = W;
    Widen(W->Lat, LatMin, LatMax);
    Widen(W->Lon, LonMin, LonMax);
    ++Count;
    Wpt = std::make_unique<TWpt>();
    return true;
}

void TSwp::DeleteWpt(TWpt* Wpt)
{
    if (!Wpt) return;
    bool member = false;
    for (TWpt* P = First; P; P = P->Next)
        if (P == Wpt) {
            member = true;
            break;
        }
    if (!member) return;
    ++WptGeneration;
    DropWptRefs([Wpt](const TWpt* W) { return W == Wpt; });
    if (Wpt->Prev)
        Wpt->Prev->Next = Wpt->Next;
    else
        First = Wpt->Next;
    if (Wpt->Next)
        Wpt->Next->Prev = Wpt->Prev;
    else
        Last = Wpt->Prev;
    if (Cursor == Wpt) Cursor = Wpt->Next ? Wpt->Next : Wpt->Prev;
    if (SelWpt == Wpt) SelWpt = nullptr;
    delete Wpt;
    --Count;
    fFullReported = false;
    ComputeBounds();
    NotifyModelChanged();
}

void TSwp::Clear()
{
    const bool had = First != nullptr;
    FreeAll();
    fFullReported = false;
    ResetBounds();
    if (had) NotifyModelChanged();
}

TWpt* TSwp::FirstWpt()
{
    Cursor = First;
    return Cursor;
}

TWpt* TSwp::NextWpt()
{
    if (Cursor) Cursor = Cursor->Next;
    return Cursor;
}

void TSwp::ResetBounds()
{
    LatMin = LatEmptyMin;
    LatMax = LatEmptyMax;
    LonMin = LonEmptyMin;
    LonMax = LonEmptyMax;
}

void TSwp::ComputeBounds()
{
    ResetBounds();
    for (TWpt* P = First; P; P = P->Next) {
        Widen(P->Lat, LatMin, LatMax);
        Widen(P->Lon, LonMin, LonMax);
    }
}

// ---- TTrj ------------------------------------------------------------------------------------

namespace {
uint32_t NextTrjId = 0;
}

TTrj::TTrj() : Id(++NextTrjId), Stn(std::make_unique<TStn>())
{
    ResetBounds();
}

TTrj::~TTrj()
{
    FreeRecs();
}

void TTrj::FreeRecs()
{
    TRec* P = First;
    First = Last = Cursor = CurRec = SelFirst = SelLast = LiveRec = nullptr;
    RecCount = 0;
    while (P) {
        TRec* N = P->Next;
        delete P;
        P = N;
    }
}

void TTrj::ResetBounds()
{
    LatMin = LatEmptyMin;
    LatMax = LatEmptyMax;
    LonMin = LonEmptyMin;
    LonMax = LonEmptyMax;
    TimeMin = TimeEmptyMin;
    TimeMax = TimeEmptyMax;
    AltMin = AltGpsMin = AltEmptyMin;
    AltMax = AltGpsMax = AltEmptyMax;
    EnlMax = 0;
}

void TTrj::WidenBounds(const TRec& R)
{
    Widen(R.Lat, LatMin, LatMax);
    Widen(R.Lon, LonMin, LonMax);
    Widen(R.Time, TimeMin, TimeMax);
    Widen(R.Alt, AltMin, AltMax);
    Widen(R.AltGps, AltGpsMin, AltGpsMax);
    if (R.Enl > EnlMax) EnlMax = R.Enl;
}

bool TTrj::AddRec(std::unique_ptr<TRec>& Rec)
{
    if (!Rec) return false;
    if (RecCount >= MaxListCount) {
        if (!fFullReported) {
            fFullReported = true;
            ReportFullRecs();
        }
        return false;
    }
    TRec* R = Rec.release();
    if (Last) {
        const int64_t before = int64_t(Last->Time) - R->Time;
        if (before >= DayWrapMin && before <= DayWrapMax && R->Time <= INT32_MAX - TimeUnitsPerDay)
            R->Time += TimeUnitsPerDay;
    }
    R->Prev = Last;
    R->Next = nullptr;
    if (Last)
        Last->Next = R;
    else
        First = R;
    Last = R;
    WidenBounds(*R);
    ++RecCount;
    Rec = std::make_unique<TRec>();
    return true;
}

void TTrj::ComputeBounds()
{
    ResetBounds();
    for (TRec* P = First; P; P = P->Next) WidenBounds(*P);
    if (First) {
        // A trace filled with date-times only (a device download sets StartTime, not Date)
        // keeps its day: the date comes from the start date-time and the first fix's time.
        if (!Loaded && Date == 0 && StartTime != 0 && std::isfinite(StartTime))
            Date = std::round(StartTime - double(First->Time) / TimeUnitsPerDay);
        StartTime = RecDateTime(Date, First->Time);
        EndTime = RecDateTime(Date, Last->Time);
    }
}

void TTrj::FindNearestTime(int32 Time)
{
    TRec* Best = nullptr;
    int64_t bestGap = 0;
    for (TRec* P = First; P; P = P->Next) {
        const int64_t gap = std::llabs(int64_t(P->Time) - Time);
        if (!Best || gap < bestGap) {
            Best = P;
            bestGap = gap;
        }
    }
    if (Best) CurRec = Best;
}

TRec* TTrj::InsertRecAt(int32 Time)
{
    for (TRec* A = First; A && A->Next; A = A->Next) {
        TRec* B = A->Next;
        if (Time < A->Time || Time > B->Time) continue;
        if (int64_t(Time) - A->Time < InsertMinGap || int64_t(B->Time) - Time < InsertMinGap) return nullptr;
        if (RecCount >= MaxListCount) {
            if (!fFullReported) {
                fFullReported = true;
                ReportFullRecs();
            }
            return nullptr;
        }
        const double f = double(int64_t(Time) - A->Time) / double(int64_t(B->Time) - A->Time);
        auto lerp = [f](int32 a, int32 b) { return Round(a + (double(b) - a) * f); };
        auto* R = new TRec;
        R->Lat = lerp(A->Lat, B->Lat);
        R->Lon = lerp(A->Lon, B->Lon);
        R->Time = Time;
        R->Alt = lerp(A->Alt, B->Alt);
        R->AltGps = lerp(A->AltGps, B->AltGps);
        R->Enl = lerp(A->Enl, B->Enl);
        R->Kind = 0;
        R->Prev = A;
        R->Next = B;
        A->Next = R;
        B->Prev = R;
        ++RecCount;
        WidenBounds(*R);
        return R;
    }
    return nullptr;
}

TRec* TTrj::NextRec()
{
    if (!Cursor)
        Cursor = First;
    else if (Cursor->Next)
        Cursor = Cursor->Next;
    return Cursor;
}

TRec* TTrj::PrevRec()
{
    if (!Cursor)
        Cursor = Last;
    else if (Cursor->Prev)
        Cursor = Cursor->Prev;
    return Cursor;
}

void TTrj::DeleteRec(TRec* Rec)
{
    if (!Rec) return;
    bool member = false;
    for (TRec* P = First; P; P = P->Next)
        if (P == Rec) {
            member = true;
            break;
        }
    if (!member) return;
    TRec* Neighbour = Rec->Next ? Rec->Next : Rec->Prev;
    if (Rec->Prev)
        Rec->Prev->Next = Rec->Next;
    else
        First = Rec->Next;
    if (Rec->Next)
        Rec->Next->Prev = Rec->Prev;
    else
        Last = Rec->Prev;
    if (Cursor == Rec) Cursor = Neighbour;
    if (CurRec == Rec) CurRec = Neighbour;
    if (LiveRec == Rec) LiveRec = Rec->Next;
    // The selection keeps its other end; an end that goes moves inwards.
    if (SelFirst == Rec && SelLast == Rec)
        SelFirst = SelLast = nullptr;
    else if (SelFirst == Rec)
        SelFirst = Rec->Next;
    else if (SelLast == Rec)
        SelLast = Rec->Prev;
    delete Rec;
    --RecCount;
    fFullReported = false;
    ComputeBounds();
    NotifyModelChanged();
}

void TTrj::Clear()
{
    const bool had = First != nullptr;
    FreeRecs();
    fFullReported = false;
    ResetBounds();
    if (had) NotifyModelChanged();
}

TRec* TTrj::RecAt(int index) const
{
    if (index < 0) return nullptr;
    TRec* P = First;
    while (P && index-- > 0) P = P->Next;
    return P;
}

// ---- Zones -----------------------------------------------------------------------------------

TMpf::TMpf()
{
    ResetBounds();
}

TMpf::~TMpf()
{
    TDrd* P = First;
    while (P) {
        TDrd* N = P->Next;
        delete P;
        P = N;
    }
}

void TMpf::ResetBounds()
{
    LatMin = LatEmptyMin;
    LatMax = LatEmptyMax;
    LonMin = LonEmptyMin;
    LonMax = LonEmptyMax;
}

namespace {
// Widens the bounds by a circle of Radius metres around C (a box a little larger than the
// circle, on the sphere).
void WidenCircle(const TPos& C, double RadiusM, int32& LatMin, int32& LatMax, int32& LonMin, int32& LonMax)
{
    const double dLat = std::fabs(RadiusM) / (EarthRadiusKm * 1000.0) * (180.0 / M_PI) * 1e5;
    const double c = std::cos(C.Lat * 1e-5 * M_PI / 180.0);
    const double dLon = c > 1e-3 ? dLat / c : 18000000.0;
    auto clampTo = [](double v, double lim) { return int32(std::clamp(v, -lim, lim)); };
    Widen(clampTo(std::floor(C.Lat - dLat), 9000000), LatMin, LatMax);
    Widen(clampTo(std::ceil(C.Lat + dLat), 9000000), LatMin, LatMax);
    Widen(clampTo(std::floor(C.Lon - dLon), 18000000), LonMin, LonMax);
    Widen(clampTo(std::ceil(C.Lon + dLon), 18000000), LonMin, LonMax);
}
} // namespace

void TMpf::AddDrd(std::unique_ptr<TDrd> Drd)
{
    if (!Drd) return;
    TDrd* D = Drd.release();
    D->Prev = Last;
    D->Next = nullptr;
    if (Last)
        Last->Next = D;
    else
        First = D;
    Last = D;
    ++Count;
    switch (D->Kind) {
    case dkArc: {
        auto* A = static_cast<TDrd1*>(D);
        Widen(A->Lat, LatMin, LatMax);
        Widen(A->Lon, LonMin, LonMax);
        Widen(A->StartPos.Lat, LatMin, LatMax);
        Widen(A->StartPos.Lon, LonMin, LonMax);
        // The arc stays within its circle; the whole circle is a safe bound.
        WidenCircle(A->Centre, A->Radius, LatMin, LatMax, LonMin, LonMax);
        break;
    }
    case dkCircle:
        WidenCircle(*D, static_cast<TDrd2*>(D)->Radius, LatMin, LatMax, LonMin, LonMax);
        break;
    default:
        Widen(D->Lat, LatMin, LatMax);
        Widen(D->Lon, LonMin, LonMax);
        break;
    }
}

TSmp::TSmp()
{
    ResetBounds();
}

TSmp::~TSmp()
{
    FreeAll();
}

void TSmp::FreeAll()
{
    TMpf* P = First;
    First = Last = Cur = nullptr;
    Count = 0;
    while (P) {
        TMpf* N = P->Next;
        delete P;
        P = N;
    }
}

bool TSmp::AddMpf(std::unique_ptr<TMpf>& Mpf)
{
    if (!Mpf) return false;
    if (Count >= MaxListCount) {
        if (!fFullReported) {
            fFullReported = true;
            ReportFull(QStringLiteral("Nombre maximum de zones atteint (65535)."),
                       QStringLiteral("Maximum number of zones reached (65535)."));
        }
        return false;
    }
    TMpf* M = Mpf.release();
    M->Prev = Last;
    M->Next = nullptr;
    if (Last)
        Last->Next = M;
    else
        First = M;
    Last = M;
    if (M->LatMin <= M->LatMax) {
        Widen(M->LatMin, LatMin, LatMax);
        Widen(M->LatMax, LatMin, LatMax);
    }
    if (M->LonMin <= M->LonMax) {
        Widen(M->LonMin, LonMin, LonMax);
        Widen(M->LonMax, LonMin, LonMax);
    }
    ++Count;
    return true;
}

void TSmp::Clear()
{
    const bool had = First != nullptr;
    FreeAll();
    fFullReported = false;
    ResetBounds();
    if (had) NotifyModelChanged();
}

void TSmp::ResetBounds()
{
    LatMin = LatEmptyMin;
    LatMax = LatEmptyMax;
    LonMin = LonEmptyMin;
    LonMax = LonEmptyMax;
}

// ---- TTrjFileInfo ----------------------------------------------------------------------------

QString& TTrjFileInfo::operator[](int i)
{
    return const_cast<QString&>(std::as_const(*this)[i]);
}

const QString& TTrjFileInfo::operator[](int i) const
{
    switch (i) {
    case 0:
        return Pilot;
    case 1:
        return GliderType;
    case 2:
        return GliderId;
    case 3:
        return CompId;
    case 4:
        return Source;
    case 5:
        return Date;
    case 6:
        return Distance;
    case 7:
        return Duration;
    default:
        return Note; // 8; an index out of range reads the last text rather than crash
    }
}

// ---- Global objects --------------------------------------------------------------------------

void ModelInit()
{
    if (!Opt) {
        Opt = new TOpt;
        Colors = DefaultColors();
    }
    if (!Map) Map = new TMap;
    if (!Sml) Sml = new TSml;
}

void ModelDone()
{
    // No notification here: at shutdown the windows may be gone already.
    FreeAllTrj();
    delete Swp;
    Swp = nullptr;
    delete Smp;
    Smp = nullptr;
    delete Map;
    Map = nullptr;
    delete Sml;
    Sml = nullptr;
    delete Opt;
    Opt = nullptr;
    TrjMode = WptMode = 0;
    SyncTrj = SyncApply = false;
    Language = 0;
    Colors = DefaultColors();
}

// ---- Chain of open traces --------------------------------------------------------------------

TTrj* NewTrj()
{
    auto* T = new TTrj;
    if (Trj && InChain(Trj)) {
        T->PrevTrj = Trj;
        T->NextTrj = Trj->NextTrj;
        if (Trj->NextTrj) Trj->NextTrj->PrevTrj = T;
        Trj->NextTrj = T;
    } else {
        // No current trace: the new one goes to the end of the chain.
        TTrj* L = FirstTrj;
        while (L && L->NextTrj) L = L->NextTrj;
        T->PrevTrj = L;
        if (L)
            L->NextTrj = T;
        else
            FirstTrj = T;
    }
    Trj = T;
    Stn = T->Stn.get();
    NotifyModelChanged();
    return T;
}

void CloseTrj(TTrj* T)
{
    if (!T || !InChain(T)) return;
    UnlinkTrj(T);
    delete T;
    NotifyModelChanged();
}

void CloseAllTrj()
{
    const bool had = FirstTrj != nullptr;
    FreeAllTrj();
    if (had) NotifyModelChanged();
}

void SetCurrentTrj(TTrj* T)
{
    if (!T || T == Trj || !InChain(T)) return;
    Trj = T;
    Stn = T->Stn.get();
    NotifyModelChanged();
}

int TrjCount()
{
    int n = 0;
    for (TTrj* T = FirstTrj; T; T = T->NextTrj) ++n;
    return n;
}

void TrjLoaded()
{
    if (Trj) TrjLoaded(Trj);
}

void TrjLoaded(TTrj* Which)
{
    if (!Which || !InChain(Which)) return;
    TTrj& T = *Which;
    const bool current = Which == Trj;
    if (!T.First) {
        // The empty trace goes; the trace it was opened after becomes current again (not the
        // one that happened to follow it in the chain).
        TTrj* before = T.PrevTrj;
        CloseTrj(Which);
        if (current && before) SetCurrentTrj(before);
        return;
    }
    T.ComputeBounds(); // bounds, start and end date-times
    T.TimeLoc = LocalTimeOffset(T.StartTime);
    T.SelFirst = T.First;
    T.SelLast = T.Last;
    T.CurRec = T.First;
    T.Cursor = T.First;
    // The views divide by these spans: a trace of one fix (or of one altitude) still gets a
    // span of one unit.
    T.ViewTimeMin = T.TimeMin;
    // (Fix times may come from hostile files: the spans are kept inside int32.)
    T.ViewTimeMax = T.TimeMin == INT32_MAX ? INT32_MAX : std::max(T.TimeMax, T.TimeMin + 1);
    T.ViewAltMin = std::min(T.AltMin, T.AltGpsMin);
    T.ViewAltMax =
        T.ViewAltMin == INT32_MAX ? INT32_MAX : std::max({T.AltMax, T.AltGpsMax, T.ViewAltMin + 1});
    T.Loaded = true;
    if (current) Stn = T.Stn.get();
    TrjMode = 1;
    WptMode = 0;
    RefreshViews();
    NotifyModelChanged();
}

TTrj* FindTrj(uint32_t Id)
{
    for (TTrj* T = FirstTrj; T; T = T->NextTrj)
        if (T->Id == Id) return T;
    return nullptr;
}

// ---- Waypoint and zone sets ------------------------------------------------------------------

TSwp* NewSwp()
{
    SetSwp(std::make_unique<TSwp>());
    return Swp;
}

void SetSwp(std::unique_ptr<TSwp> S)
{
    if (S.get() == Swp) {
        (void)S.release();
        return;
    }
    delete Swp;
    Swp = S.release();
    ++WptGeneration;
    NotifyModelChanged();
}

void FreeSwpObject()
{
    if (!Swp) return;
    delete Swp;
    Swp = nullptr;
    ++WptGeneration;
    NotifyModelChanged();
}

void SetSmp(std::unique_ptr<TSmp> S)
{
    if (S.get() == Smp) {
        (void)S.release();
        return;
    }
    delete Smp;
    Smp = S.release();
    NotifyModelChanged();
}
