// Layouts of the results block, the waypoint table and the title, with a fixed-pitch measure
// (every character half as wide as the cell is high) so that positions are exact.
#include "print/PrintText.h"

#include "files/IgcFile.h"
#include "files/WptFormats.h"
#include "model/Options.h"
#include "model/Sector.h"
#include "platform/Numbers.h"
#include "support/Fixtures.h"

#include <QImage>
#include <QPainter>
#include <QRegularExpression>

namespace {

class FixedMeasure : public TTextMeasure
{
public:
    int Width(const QString& Text, int CellHeight) const override
    {
        return int(Text.size()) * CellHeight / 2;
    }
    int Height(int CellHeight) const override { return CellHeight; }
};

const TTextItem* Find(const TTextBlock& B, const QString& part)
{
    for (const TTextItem& t : B.Items)
        if (t.Text.contains(part)) return &t;
    return nullptr;
}

int Count(const TTextBlock& B, const QString& part)
{
    int n = 0;
    for (const TTextItem& t : B.Items) n += t.Text.contains(part);
    return n;
}

// Texts of one line that share pixels, or that pass the block's right edge.
QStringList Collisions(const TTextBlock& B, const TTextMeasure& M, int W)
{
    // The inked part of a text: its blanks on either side may overlap a neighbour's.
    const auto ink = [&](const TTextItem& t) {
        const QString lead =
            t.Text.left(t.Text.size() - QString(t.Text).remove(QRegularExpression("^ +")).size());
        const int left = t.X + M.Width(lead, t.FontHeight);
        return std::pair(left, left + M.Width(t.Text.trimmed(), t.FontHeight));
    };
    QStringList out;
    for (size_t i = 0; i < B.Items.size(); ++i) {
        const TTextItem& a = B.Items[i];
        const auto [al, ar] = ink(a);
        if (ar > W) out << a.Text + " | edge";
        for (size_t j = i + 1; j < B.Items.size(); ++j) {
            const TTextItem& b = B.Items[j];
            const auto [bl, br] = ink(b);
            const bool sameLine = a.Y < b.Y + M.Height(b.FontHeight) && b.Y < a.Y + M.Height(a.FontHeight);
            if (sameLine && al < br && bl < ar) out << a.Text + " | " + b.Text;
        }
    }
    return out;
}

class TextFixture : public FreshModel
{
protected:
    FixedMeasure M;
    TPrintSettings S;
    TTrn& Add(int lat, int lon, const char* name, int reachedTime = 0)
    {
        TTrn t;
        t.Name = name;
        std::tie(t.Lat, t.Lon, t.Time, t.Reached) = std::tuple(lat, lon, reachedTime, reachedTime ? 1 : 0);
        return *Stn->AddTrn(t, -1);
    }
    void Fix(int time, int alt)
    {
        auto r = std::make_unique<TRec>();
        std::tie(r->Lat, r->Lon, r->Time, r->Alt) = std::tuple(4500000, 600000, time, alt);
        Trj->AddRec(r);
    }
    TInfoSource Src() const { return {Trj, Stn, 0, 10}; }
};

TEST_F(TextFixture, TaskTableRowsLegsAndPercentages)
{
    NewTrj();
    Add(4500000, 600000, "Depart");
    Add(4550000, 600000, "Virage");
    Add(4550000, 650000, "Arrivee");
    // 3 turn points, 600 pixels high, cell 20: no shrinking; rows at most 3 lines.
    const TTextBlock b = InfoLayout(400, 600, -3, Src(), S, M, 20);
    const TTextItem* d = Find(b, " D : ");
    ASSERT_TRUE(d);
    EXPECT_EQ(d->Y, 18); // (0 + 0.3) x 60
    EXPECT_EQ(d->X, 15); // 1.5 mm
    EXPECT_EQ(d->FontHeight, 20);
    EXPECT_EQ(Find(b, " Virage ")->X, 40 + 15);
    EXPECT_EQ(Find(b, " A : ")->Y, 138);
    EXPECT_TRUE(Find(b, " 55.6 km "));
    EXPECT_EQ(Count(b, " % "), 2 + 1); // two legs and the total
    const TTextItem* total = Find(b, "100.0 % ");
    EXPECT_EQ(total->Y, 180);
    EXPECT_EQ(total->X + M.Width(total->Text, 20), 400 - 15); // 1.5 mm clear of the frame
    EXPECT_EQ(Collisions(b, M, 400 - 15), QStringList());
    EXPECT_FALSE(Find(b, "FAI"));

    // A short task has no leg percentages.
    Stn->Clear();
    Add(4500000, 600000, "A");
    Add(4500500, 600000, "B");
    const TTextBlock s = InfoLayout(400, 600, -3, Src(), S, M, 20);
    EXPECT_EQ(Count(s, " % "), 1);
    // A low block shrinks the font.
    const TTextBlock low = InfoLayout(400, 50, -3, Src(), S, M, 20);
    EXPECT_LT(low.Items.front().FontHeight, 20);
}

TEST_F(TextFixture, FaiLineOnlyForFourOrFivePoints)
{
    NewTrj();
    const int pts[][2] = {{4500000, 600000}, {4560000, 600000}, {4530000, 660000}, {4500000, 600000}};
    for (const auto& p : pts) Add(p[0], p[1], "T");
    const TTextBlock four = InfoLayout(400, 600, -3, Src(), S, M, 20);
    EXPECT_TRUE(Find(four, "FAI Tri : ")); // an equilateral-like triangle
    Add(4510000, 610000, "T");
    Add(4520000, 610000, "T");
    EXPECT_FALSE(Find(InfoLayout(400, 600, -3, Src(), S, M, 20), "FAI"));
}

TEST_F(TextFixture, FlightTimesUtcWithoutTaskLocalWithTask)
{
    NewTrj();
    Trj->TimeLoc = 2;
    Fix(1000000, 500);
    Fix(1100000, 800);
    const TTextBlock utc = InfoLayout(1000, 40, -2, Src(), S, M, 20);
    EXPECT_TRUE(Find(utc, "Début (UTC) : 10:00:00"));
    EXPECT_TRUE(Find(utc, "11:00:00"));
    EXPECT_EQ(Find(utc, "Début")->X, 20);

    Add(4500000, 600000, "Dep", 1020000);
    Add(4550000, 600000, "Arr", 1070000);
    const TTextBlock loc = InfoLayout(400, 600, -1, Src(), S, M, 20);
    // Start, first passage and end, local.
    for (const char* t : {" Début (Loc) : ", " 12:00:00 ", " 12:12:00 ", " 13:00:00 "})
        EXPECT_TRUE(Find(loc, t)) << t;
    EXPECT_EQ(Count(loc, "km/h"), 2); // leg and mean speeds

    // Equal passage times give no speed at all.
    Stn->Last->Time = Stn->First->Time;
    EXPECT_EQ(Count(InfoLayout(400, 600, -1, Src(), S, M, 20), "km/h"), 0);
}

TEST_F(TextFixture, TaskSpeedOnlyForATaskFlownInOrder)
{
    NewTrj();
    Fix(1000000, 500);
    Fix(1400000, 800);
    Add(4500000, 600000, "Dep", 1020000);
    TTrn& mid = Add(4600000, 600000, "ARDLETHAN BIG NAME OF A FIELD", 1100000);
    TTrn& arr = Add(4500000, 600000, "Arr", 1200000);
    const auto speeds = [&] { return Count(InfoLayout(400, 600, -1, Src(), S, M, 20), "km/h"); };
    EXPECT_EQ(speeds(), 3); // two legs and the task
    const TTextBlock whole = InfoLayout(400, 600, -1, Src(), S, M, 20);
    EXPECT_EQ(Collisions(whole, M, 400 - 15), QStringList()); // 1.5 mm clear of the frame
    ASSERT_TRUE(Find(whole, "ARDLETHAN BIG NAME OF A FIELD"));

    // A turn point not reached: no task speed, no speed on its legs.
    mid.Reached = 0;
    EXPECT_EQ(speeds(), 0);
    // Reached out of order: the finish before the turn point.
    mid.Reached = 1;
    mid.Time = 1300000;
    EXPECT_EQ(speeds(), 1); // only the first leg was flown forwards
    // The finish seconds after the start with nothing between: no speed runs into the total.
    mid.Time = 1020100;
    arr.Time = 1020200;
    const TTextBlock fast = InfoLayout(400, 600, -1, Src(), S, M, 20);
    EXPECT_EQ(Collisions(fast, M, 400 - 15), QStringList());
}

TEST_F(TextFixture, TurnPointCellTimeAltitudeAndSectorRadius)
{
    NewTrj();
    Fix(1000000, 500);
    Fix(1010000, 1234);
    Fix(1020000, 900);
    Add(4500000, 600000, "Depart", 1010000);
    TTrn& mid = Add(-4550000, -600000, "Virage");
    Add(4500000, 600000, "Arrivee");
    const TTextBlock reached = InfoLayout(300, 90, 0, Src(), S, M, 20);
    for (const char* t : {"10:06:00", "1234m", "N45°00'00\"  E006°00'00\""})
        EXPECT_TRUE(Find(reached, t)) << t;
    const TTextBlock unreached = InfoLayout(300, 90, 1, Src(), S, M, 20);
    EXPECT_FALSE(Find(unreached, ":00:"));
    EXPECT_TRUE(Find(unreached, "S45°30'00\"  W006°00'00\""));
    S.PrnView = pvTask;
    EXPECT_FALSE(Find(InfoLayout(300, 90, 0, Src(), S, M, 20), "10:06:00"));

    mid.SetRefWpt(new TWpt, true);
    mid.Sect.Type_Sect = 1;
    mid.Sect.Rayon_Int = 500;
    mid.Sect.Rayon_Ext = 3000;
    mid.Comment = "hidden";
    const TTextBlock ext = InfoLayout(300, 90, 1, Src(), S, M, 20);
    EXPECT_TRUE(Find(ext, "Secteur étendu - Rayon = 0.5/3.0 km"));
    EXPECT_FALSE(Find(ext, "hidden"));
    // Lines that do not fit the cell shrink on their own.
    mid.SetRefWpt(nullptr, true);
    mid.Comment = QString(90, 'W');
    const TTextBlock narrow = InfoLayout(300, 90, 1, Src(), S, M, 20);
    EXPECT_LT(Find(narrow, "WWW")->FontHeight, 20);
    EXPECT_EQ(Find(narrow, "Virage")->FontHeight, 20);
}

TEST_F(TextFixture, WaypointPagesOfTheRealFiles)
{
    TReadReport r;
    auto set = ReadWptFile(ZPH_TESTDATA "/waypoints/euregio9.dat", r);
    ASSERT_TRUE(set);
    const int n = set->Count;
    ASSERT_GT(n, 60);
    SetSwp(std::move(set));
    const TWptListColumns col = WptListColumns(0, 80, 2000, 2800, M, 20);
    EXPECT_EQ(col.RowH, 26);
    EXPECT_EQ(col.RowsPerPage, 2720 / 26 - 1);
    EXPECT_EQ(WptListPages(n, col.RowsPerPage), (n - 1) / col.RowsPerPage + 1);
    EXPECT_EQ(WptListPages(0, col.RowsPerPage), 0);
    EXPECT_EQ(WptListColumns(0, 80, 2000, 90, M, 20).RowsPerPage, 1);
    // Marked only: the total counts what is printed.
    int k = 0;
    for (TWpt* w = Swp->First; w; w = w->Next) w->Rep = (k++ % 10) == 0;
    EXPECT_EQ(WptListCount(*Swp, true), (n + 9) / 10);

    auto world = ReadWptFile(ZPH_TESTDATA "/waypoints/waypoints.dat", r);
    ASSERT_TRUE(world);
    Opt->UniteAltitude = 1;
    std::vector<const TWpt*> rows;
    for (const TWpt* w = world->First; w; w = w->Next) rows.push_back(w);
    const TTextBlock page = WptListPage(col, 80, rows, 1, M, 20);
    EXPECT_TRUE(Find(page, "22840 Ft"));
    EXPECT_TRUE(Find(page, "Aconcagua"));
    const TTextItem* lat = Find(page, "S32°");
    const TTextItem* lon = Find(page, "W070°");
    ASSERT_TRUE(lat && lon);
    EXPECT_EQ(lat->Y, 80 + 26 + 4);
    EXPECT_EQ(lat->X, col.c[2] + 10);
    EXPECT_EQ(Find(page, "Commentaire")->X, col.c[6] + 30);
}

TEST_F(TextFixture, TitlesInBothLanguages)
{
    TReadReport r;
    ASSERT_TRUE(LoadIgcTrj(ZPH_TESTDATA "/igc/01lz1hq1.igc", true, r));
    S.PrnView = pvDetail;
    S.CmntEdit = "Vol %s\r%1";
    const QString fr = TitleText(S, Trj, QString(), true, QDate());
    EXPECT_TRUE(fr.startsWith(Trj->Name.left(Trj->Name.indexOf('.') + 4) + " - ")) << fr.toStdString();
    EXPECT_TRUE(fr.endsWith(" - Vol %s %1")) << fr.toStdString();
    EXPECT_TRUE(fr.contains(" - jeu. 21 janvier 2010 - "));
    Language = 1;
    EXPECT_TRUE(TitleText(S, Trj, QString(), true, QDate()).contains(" - Thu 21 January 2010 - "));
    EXPECT_EQ(TitleDate(QDate(2004, 5, 12)), "Wed 12 May 2004");
    Language = 0;
    EXPECT_EQ(TitleDate(QDate(2004, 5, 12)), "mer. 12 mai 2004");

    Trj->Name = "rl-traffic";
    S.DateBtn = S.PltBtn = S.PlnBtn = S.CmntBtn = false;
    EXPECT_EQ(TitleText(S, Trj, "Page 1/2", true, QDate()), "rl-traffic - Page 1/2");
    S.PrnView = pvWptList;
    Opt->FichWayPoints = "/data/wp/euregio9.dat";
    EXPECT_EQ(TitleText(S, Trj, "Page 1/2", true, QDate()), "euregio9.dat - Page 1/2");
    // The task page of a task read from a file is named after the file and dated today; one
    // that came with the trace takes the flight's title.
    S.PrnView = pvTask;
    S.DateBtn = true;
    Opt->FichCircuit = "/data/task.zpt";
    EXPECT_EQ(TitleText(S, Trj, QString(), true, QDate(2026, 12, 7)), "task.zpt - lun. 7 décembre 2026");
    Opt->FichCircuit.clear();
    EXPECT_EQ(TitleText(S, Trj, QString(), true, QDate(2026, 12, 7)), "rl-traffic - jeu. 21 janvier 2010");

    // A title wider than the page less 8 mm is drawn smaller.
    const TTitleLayout wide = TitleLayout(QString(300, 'x'), {0, 0, 1000, 2800}, 10, 10, M);
    EXPECT_LT(wide.FontHeight, 40);
    EXPECT_LE(M.Width(wide.Text, wide.FontHeight) + 80, 1000);
    const TTitleLayout fit = TitleLayout("Short", {0, 0, 1000, 2800}, 10, 10, M);
    EXPECT_EQ(fit.FontHeight, 40);
    EXPECT_EQ(fit.Box.Width(), 5 * 20 + 40);
    EXPECT_EQ(fit.Box.Left, (1000 - 140) / 2);
}

TEST(GraticuleTextTest, LabelModes)
{
    EXPECT_EQ(GraticuleLatText(4512345, 3), "N45°07'24\"");
    EXPECT_EQ(GraticuleLatText(4512345, 2), "N45°07'");
    EXPECT_EQ(GraticuleLatText(4512345, 1), "N45°");
    EXPECT_EQ(GraticuleLatText(-100000, 1), "S01°");
    EXPECT_EQ(GraticuleLongText(-12345678, 3), "W123°27'24\"");
    EXPECT_EQ(GraticuleLongText(600000, 1), "E006°");
    EXPECT_EQ(GraticuleLongText(600000, 4), "");
    EXPECT_EQ(StrWD(3.14159, 5, 1), "  3.1");
    EXPECT_EQ(StrWD(1234.5, 3, 1), "1234.5");
}

} // namespace
