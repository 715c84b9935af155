// Lists, cursors and global current instances of the flight data model.
#include "model/Define.h"
#include "model/Calc.h"
#include "model/ModelUi.h"
#include "model/Options.h"
#include "platform/Msg.h"

#include "support/Fixtures.h"
#include <gtest/gtest.h>

#include <cstdlib>
#include <new>
#include <tuple>

// Frees are watched through the global allocation functions (plain malloc/free underneath, so
// AddressSanitizer still sees every allocation and every use after free).
namespace {
const void* gWatched = nullptr;
bool gWatchedFreed = false;
void Watch(const void* p)
{
    gWatched = p;
    gWatchedFreed = false;
}
} // namespace

void* operator new(std::size_t n)
{
    if (void* p = std::malloc(n ? n : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept
{
    if (p && p == gWatched) gWatchedFreed = true;
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept
{
    operator delete(p);
}

namespace {

struct FakeUi : IModelUi
{
    int refresh = 0, changed = 0, emptied = 0;
    void ShowStatus(const QString&) override {}
    void RefreshViews() override { ++refresh; }
    void ModelChanged() override { ++changed; }
    void TaskEmptied() override { ++emptied; }
};

class ModelTest : public FreshModel
{
protected:
    FakeUi ui;
    void SetUp() override
    {
        FreshModel::SetUp();
        SetModelUi(&ui);
    }
    void TearDown() override
    {
        SetModelUi(nullptr);
        FreshModel::TearDown();
    }
    static bool AddFix(TTrj& T, const TRec& v)
    {
        auto r = std::make_unique<TRec>(v);
        return T.AddRec(r);
    }
    static bool Add(TTrj& T, int32 time, int32 alt = 0) { return AddFix(T, TRec{{}, time, alt}); }
};

// ---- Fixes -----------------------------------------------------------------------------------

TEST_F(ModelTest, AddRecDayRuleBoundaries)
{
    // Previous fix already past midnight at 2,450,000; the new fix lies `before` units earlier.
    struct Case
    {
        int32 before;
        bool moved;
    };
    for (Case c : {Case{2300000, true}, Case{2400000, true}, Case{2350000, true}, Case{2299999, false},
                   Case{2400001, false}}) {
        TTrj T;
        ASSERT_TRUE(Add(T, 2450000));
        ASSERT_TRUE(Add(T, 2450000 - c.before));
        EXPECT_EQ(T.Last->Time, 2450000 - c.before + (c.moved ? 2400000 : 0)) << c.before;
    }
    // A flight across midnight stays in order, the fixes after the first wrap included.
    TTrj T;
    for (int32 t : {2399000, 1000, 2000}) ASSERT_TRUE(Add(T, t));
    EXPECT_EQ(std::tuple(T.RecAt(1)->Time, T.RecAt(2)->Time, T.TimeMin, T.TimeMax),
              std::tuple(2401000, 2402000, 2399000, 2402000));
}

TEST_F(ModelTest, AddRecLinksCountsBoundsAndHandsAFreshFix)
{
    TTrj T;
    auto r = std::make_unique<TRec>(TRec{{4500000, -100000}, 100, 800, 820, 40});
    TRec* first = r.get();
    ASSERT_TRUE(T.AddRec(r));
    ASSERT_TRUE(r && r.get() != first);
    EXPECT_EQ(r->Time, 0);
    *r = TRec{{4400000, 200000}, 200, 1200, 700, 0};
    ASSERT_TRUE(T.AddRec(r));
    EXPECT_EQ(std::tuple(T.RecCount, T.First, T.Last->Prev, first->Next),
              std::tuple(2, first, first, T.Last));
    EXPECT_EQ(std::tie(T.LatMin, T.LatMax, T.LonMin, T.LonMax),
              std::make_tuple(4400000, 4500000, -100000, 200000));
    EXPECT_EQ(std::tie(T.AltMin, T.AltMax, T.AltGpsMin, T.AltGpsMax, T.EnlMax),
              std::make_tuple(800, 1200, 700, 820, 40));
}

TEST_F(ModelTest, FullTraceRefusesWithOneMessageAndCallerKeepsItsFix)
{
    TTrj T;
    for (int i = 0; i < MaxListCount; ++i) ASSERT_TRUE(Add(T, i));
    EXPECT_EQ(T.RecCount, 65535);
    auto r = std::make_unique<TRec>();
    r->Lat = 123;
    TRec* mine = r.get();
    EXPECT_FALSE(T.AddRec(r));
    EXPECT_FALSE(T.AddRec(r));
    EXPECT_EQ(std::tuple(r.get(), r->Lat, T.RecCount), std::tuple(mine, 123, 65535));
    EXPECT_EQ(T.InsertRecAt(100), nullptr);
    ASSERT_EQ(Msg::Log().size(), 1);
    EXPECT_EQ(Msg::Log()[0].text, "Nombre maximum de points atteint (65535).");

    // Every trace reports once, in the user's language.
    Language = 1;
    TTrj U;
    for (int i = 0; i < MaxListCount; ++i) ASSERT_TRUE(Add(U, i));
    EXPECT_FALSE(Add(U, 0));
    ASSERT_EQ(Msg::Log().size(), 2);
    EXPECT_EQ(Msg::Log()[1].text, "Maximum number of points reached (65535).");
}

TEST_F(ModelTest, WalkCursorStaysAtTheEnds)
{
    TTrj T;
    EXPECT_EQ(T.NextRec(), nullptr);
    EXPECT_EQ(T.PrevRec(), nullptr);
    for (int32 t : {10, 20, 30}) Add(T, t);
    T.Cursor = T.Last;
    EXPECT_EQ(T.NextRec(), T.Last);
    EXPECT_EQ(T.Cursor, T.Last);
    EXPECT_EQ(T.PrevRec()->Time, 20);
    EXPECT_EQ(T.PrevRec(), T.First);
    EXPECT_EQ(T.PrevRec(), T.First);
    EXPECT_EQ(T.NextRec()->Time, 20);
}

TEST_F(ModelTest, FindNearestTimeAndInsertRecAt)
{
    TTrj T;
    for (int32 t : {100, 200, 400}) Add(T, t);
    T.FindNearestTime(290);
    EXPECT_EQ(T.CurRec->Time, 200);
    T.FindNearestTime(310);
    EXPECT_EQ(T.CurRec->Time, 400);
    T.FindNearestTime(300); // a tie keeps the earlier fix
    EXPECT_EQ(T.CurRec->Time, 200);
    T.FindNearestTime(-5000);
    EXPECT_EQ(T.CurRec, T.First);

    TTrj I;
    AddFix(I, TRec{{100, -200}, 1000, 500, 600});
    AddFix(I, TRec{{201, -400}, 1100, 700, 500});
    TRec* mid = I.InsertRecAt(1050);
    ASSERT_NE(mid, nullptr);
    EXPECT_EQ(std::tie(I.RecCount, I.First->Next, mid->Prev, mid->Next, I.Last->Prev),
              std::make_tuple(3, mid, I.First, I.Last, mid));
    // 150.5 rounds half to even
    EXPECT_EQ(std::tie(mid->Time, mid->Lat, mid->Lon, mid->Alt, mid->AltGps),
              std::make_tuple(1050, 150, -300, 600, 550));
    // Both neighbours must be at least 10 units away; none outside the trace (999, 1101).
    for (int32 t : {1009, 1041, 1000, 999, 1101}) EXPECT_EQ(I.InsertRecAt(t), nullptr) << t;
    EXPECT_NE(I.InsertRecAt(1010), nullptr);
    EXPECT_NE(I.InsertRecAt(1040), nullptr);
    EXPECT_EQ(I.RecCount, 5);
    EXPECT_TRUE(Msg::Log().isEmpty());
}

TEST_F(ModelTest, DeleteRecMovesCursorsAndBounds)
{
    TTrj T;
    Add(T, 10, 100);
    Add(T, 20, 900);
    Add(T, 30, 200);
    TRec* mid = T.RecAt(1);
    T.CurRec = T.Cursor = T.SelLast = mid;
    T.SelFirst = T.First;
    T.DeleteRec(mid);
    EXPECT_EQ(std::tuple(T.RecCount, T.CurRec, T.SelLast, T.AltMax, T.First->Next),
              std::tuple(2, T.Last, T.First, 200, T.Last));
    EXPECT_GE(ui.changed, 1);
}

// ---- Tasks -----------------------------------------------------------------------------------

TEST_F(ModelTest, AddTrnWindowNumberingAndReferenceHandOver)
{
    TStn S;
    TTrn tpl;
    tpl.Time = 1000000;
    tpl.Lat = 4500000;
    tpl.Name = "LE VERNET";
    tpl.Alt = 712;
    tpl.Sect.Type_Sect = 2;
    auto* ref = new TWpt;
    tpl.SetRefWpt(ref, true);

    TTrn* a = S.AddTrn(tpl, -1);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(std::tie(a->TimeMin, a->TimeMax, a->Num), std::make_tuple(975000, 1025000, 0));
    EXPECT_EQ(std::tie(a->Name, a->Lat, a->Alt, a->Sect.Type_Sect),
              std::make_tuple(QString("LE VERNET"), 4500000, 712, uint8(2)));
    EXPECT_EQ(std::tie(a->RefWpt, a->RefOwned), std::make_tuple(ref, true));
    EXPECT_EQ(tpl.RefWpt, nullptr); // handed over, not shared
    EXPECT_EQ(S.Cursor, a);

    tpl.TimeMin = 5;
    tpl.TimeMax = 7;
    TTrn* b = S.AddTrn(tpl, -1);
    TTrn* c = S.AddTrn(tpl, 7);
    EXPECT_EQ(std::tie(b->TimeMin, b->TimeMax, b->Num, c->Num), std::make_tuple(5, 7, 1, 7));
    EXPECT_EQ(std::tie(S.Count, S.Cursor), std::make_tuple(3, c));
    EXPECT_EQ(S.TrnPos(b), static_cast<const TPos*>(b));
    TPos linked{1, 2};
    b->LinkPos = &linked;
    EXPECT_EQ(S.TrnPos(b), &linked);
}

TEST_F(ModelTest, DeleteTrnRenumbersAndFreesOnlyOwnedReferences)
{
    NewTrj();
    NewSwp();
    auto w = std::make_unique<TWpt>();
    w->Name = "SET WPT";
    TWpt* shared = w.get();
    Swp->AddWpt(w);

    TTrn tpl;
    for (int i = 0; i < 4; ++i) Stn->AddTrn(tpl, -1);
    TTrn* owner = Stn->Item(1);
    TTrn* borrower = Stn->Item(2);
    auto* owned = new TWpt;
    owner->SetRefWpt(owned, true);
    borrower->SetRefWpt(shared, false);

    Watch(owned);
    Stn->DeleteTrn(owner);
    EXPECT_TRUE(gWatchedFreed);
    EXPECT_EQ(Stn->Count, 3);
    int n = 0;
    for (TTrn* P = Stn->First; P; P = P->Next) EXPECT_EQ(P->Num, n++);

    Watch(shared);
    Stn->DeleteTrn(borrower);
    EXPECT_EQ(std::tuple(gWatchedFreed, Swp->First, shared->Name),
              std::tuple(false, shared, QStringLiteral("SET WPT")));
    Watch(nullptr);

    TStn other; // a turn point of another task is left alone
    TTrn* foreign = other.AddTrn(tpl, -1);
    Stn->DeleteTrn(foreign);
    EXPECT_EQ(std::tuple(other.Count, Stn->Count, ui.emptied), std::tuple(1, 2, 0));
    Stn->DeleteTrn(Stn->First);
    Stn->DeleteTrn(Stn->First);
    EXPECT_EQ(std::tie(Stn->Count, Stn->First, Stn->Last), std::make_tuple(0, nullptr, nullptr));
    EXPECT_EQ(ui.emptied, 1);
}

TEST_F(ModelTest, FreedWaypointsLeaveNoDanglingReference)
{
    NewTrj();
    NewSwp();
    auto w = std::make_unique<TWpt>();
    TWpt* a = w.get();
    Swp->AddWpt(w);
    TWpt* b = w.get();
    Swp->AddWpt(w);
    TTrn tpl;
    Stn->AddTrn(tpl, -1)->SetRefWpt(a, false);
    Stn->AddTrn(tpl, -1)->SetRefWpt(b, false);
    Swp->DeleteWpt(a);
    EXPECT_EQ(std::tuple(Stn->First->RefWpt, Stn->Last->RefWpt), std::tuple(nullptr, b));
    FreeSwpObject();
    EXPECT_EQ(std::tuple(Swp, Stn->Last->RefWpt), std::tuple(nullptr, nullptr));
}

// ---- Waypoint sets ---------------------------------------------------------------------------

TEST_F(ModelTest, WaypointSetCursorAndBounds)
{
    TSwp S;
    EXPECT_EQ(S.FirstWpt(), nullptr);
    EXPECT_EQ(S.NextWpt(), nullptr);
    EXPECT_EQ(std::tie(S.LatMin, S.LatMax, S.LonMin, S.LonMax),
              std::make_tuple(9000000, -9000000, 18000000, -18000000));
    auto w = std::make_unique<TWpt>();
    TWpt* first = w.get();
    first->Lat = 4300000;
    first->Lon = 100000;
    ASSERT_TRUE(S.AddWpt(w));
    EXPECT_EQ(S.Cursor, first);
    TWpt* second = w.get(); // the fresh one handed back
    second->Lat = 4600000;
    second->Lon = -50000;
    ASSERT_TRUE(S.AddWpt(w));
    EXPECT_EQ(std::tie(S.Count, S.LatMin, S.LatMax, S.LonMin, S.LonMax),
              std::make_tuple(2, 4300000, 4600000, -50000, 100000));
    // Evaluated in order: the walk stays at its end.
    const std::vector<TWpt*> walk{S.FirstWpt(), S.NextWpt(), S.NextWpt(), S.NextWpt()};
    EXPECT_EQ(walk, (std::vector<TWpt*>{first, second, nullptr, nullptr}));
}

// ---- Chain of open traces --------------------------------------------------------------------

TEST_F(ModelTest, TraceChainOrderCurrentAndClosing)
{
    EXPECT_EQ(Trj, nullptr);
    TTrj* A = NewTrj();
    TTrj* B = NewTrj();
    EXPECT_EQ(std::tuple(Trj, Stn, B->Loaded, B->StartTime), std::tuple(B, B->Stn.get(), false, 0));
    SetCurrentTrj(A);
    EXPECT_EQ(Stn, A->Stn.get());
    TTrj* C = NewTrj(); // after the current one: A, C, B
    EXPECT_EQ(std::tie(FirstTrj, A->NextTrj, C->NextTrj, B->PrevTrj), std::make_tuple(A, C, B, C));
    EXPECT_EQ(TrjCount(), 3);

    const int before = ui.changed;
    CloseTrj(C); // the next neighbour becomes current
    EXPECT_EQ(std::tie(Trj, A->NextTrj, B->PrevTrj), std::make_tuple(B, B, A));
    CloseTrj(B); // no next: the previous one
    EXPECT_EQ(std::tuple(Trj, Stn, ui.changed), std::tuple(A, A->Stn.get(), before + 2));
    NewTrj();
    CloseAllTrj();
    EXPECT_EQ(std::tie(Trj, FirstTrj, Stn), std::make_tuple(nullptr, nullptr, nullptr));
}

TEST_F(ModelTest, TrjLoadedFinishesOrClosesTheTrace)
{
    TrjLoaded(); // no trace: nothing
    TTrj* A = NewTrj();
    TTrj* B = NewTrj();
    SetCurrentTrj(A);
    NewTrj();    // between A and B
    TrjLoaded(); // no fix: closed, and A (not B) is current again
    EXPECT_EQ(std::tuple(TrjCount(), Trj), std::tuple(2, A));
    CloseTrj(B);

    Trj->Date = EncodeDate(2023, 7, 1);
    Add(*Trj, 1200000, 900);
    AddFix(*Trj, TRec{{}, 1300000, 1500, 400});
    WptMode = 1;
    const int refresh = ui.refresh;
    TrjLoaded();
    EXPECT_EQ(std::tie(Trj->Loaded, TrjMode, WptMode), std::make_tuple(true, 1, 0));
    EXPECT_EQ(std::tie(Trj->CurRec, Trj->SelFirst, Trj->SelLast),
              std::make_tuple(Trj->First, Trj->First, Trj->Last));
    EXPECT_DOUBLE_EQ(Trj->StartTime, RecDateTime(Trj->Date, 1200000));
    EXPECT_DOUBLE_EQ(Trj->EndTime, RecDateTime(Trj->Date, 1300000));
    EXPECT_EQ(Trj->TimeLoc, 2); // summer time
    EXPECT_EQ(std::tie(Trj->ViewTimeMin, Trj->ViewTimeMax, Trj->ViewAltMin, Trj->ViewAltMax),
              std::make_tuple(1200000, 1300000, 0, 1500));
    EXPECT_EQ(ui.refresh, refresh + 1);

    // A trace that only got its start date-time (as a device download gives it) keeps its day.
    NewTrj();
    Trj->StartTime = EncodeDate(2023, 7, 2) + 0.5;
    Add(*Trj, 1200000, 900);
    Add(*Trj, 1300000, 900);
    TrjLoaded();
    EXPECT_DOUBLE_EQ(Trj->Date, EncodeDate(2023, 7, 2));
    EXPECT_DOUBLE_EQ(Trj->EndTime, RecDateTime(EncodeDate(2023, 7, 2), 1300000));
    EXPECT_EQ(Trj->TimeLoc, 2);
}

} // namespace
