// Rows of the waypoint-set grid: texts, filters, nearest order and the rebuilt set.
#include "dialogs/SwpRows.h"
#include "files/RecFile.h"
#include "model/Options.h"
#include "support/Fixtures.h"

#include <QTemporaryDir>
#include <random>

namespace {

using TW = std::tuple<const char*, int32, int32, int32, bool>; // name, lat, lon, alt, mark

std::unique_ptr<TSwp> MakeSet(std::initializer_list<TW> wpts)
{
    auto s = std::make_unique<TSwp>();
    for (const auto& [name, lat, lon, alt, rep] : wpts) {
        auto p = std::make_unique<TWpt>();
        p->Name = QString::fromUtf8(name);
        std::tie(p->Lat, p->Lon, p->Alt, p->Rep) = std::tuple(lat, lon, alt, rep);
        s->AddWpt(p);
    }
    return s;
}

std::vector<TSwpRow> RowsOf(const TSwp& S, bool markedOnly = false)
{
    std::vector<TSwpRow> rows;
    for (const TWpt* w = S.First; w; w = w->Next)
        if (!markedOnly || w->Rep) rows.push_back(SwpRowFromWpt(*w));
    return rows;
}

void Edit(TSwpRow& R, int col, const QString& t)
{
    R.Text[size_t(col)] = t;
    R.Edited |= uint8(1u << col);
}

} // namespace

using SwpRows = FreshModel;

TEST_F(SwpRows, AltitudeTexts)
{
    struct Case
    {
        int32 m;
        bool feet;
        const char* text;
    } cases[] = {{1000, true, "03280 Ft"}, {-4, false, "-004 m"}, {12345, false, "12345 m"},
                 {6962, false, "6962 m"},  {0, false, "0000 m"},  {-100, true, "-0330 Ft"}};
    for (const Case& c : cases) EXPECT_EQ(SwpAltText(c.m, c.feet), QString::fromUtf8(c.text)) << c.m;
    struct Read
    {
        const char* text;
        bool feet, ok;
        int32 m;
    } reads[] = {{"03280 Ft", true, true, 1000}, // 3280 x 0.3048 = 999.7
                 {"-004 m", false, true, -4},
                 {"   ", false, true, 0},
                 {"12a4 m", false, false, 0},
                 {"1-2 m", false, false, 0}};
    for (const Read& r : reads) {
        int32 a = 0;
        EXPECT_EQ(SwpParseAlt(QString::fromUtf8(r.text), r.feet, a), r.ok) << r.text;
        EXPECT_EQ(a, r.m) << r.text;
    }
}

TEST_F(SwpRows, TypingFilters)
{
    EXPECT_EQ(SwpFilterCell(scLat, QStringLiteral("S45°12.34'"), QString()), QStringLiteral("S45°12.34'"));
    EXPECT_EQ(SwpFilterCell(scLon, QStringLiteral("N005°12.34'"), QStringLiteral("E005°12.34'")),
              QStringLiteral("E005°12.34'"));
    EXPECT_EQ(SwpFilterCell(scType, QStringLiteral("x9tLq"), QString()), QStringLiteral("tL"));
    EXPECT_EQ(SwpFilterCell(scName, QStringLiteral("X1"), QString()), QStringLiteral("X1"));
}

TEST_F(SwpRows, NearestOrderFromTheFirstRow)
{
    // On a line of longitudes: from 0, nearest first; the unreadable row goes last; a tie
    // (two rows at the same place) goes to the earlier row.
    auto s = MakeSet({TW{"A", 0, 0, 0, false}, TW{"B", 0, 500000, 0, false}, TW{"C", 0, 100000, 0, false},
                      TW{"D", 0, 300000, 0, false}, TW{"E", 0, 100000, 0, false}});
    std::vector<TSwpRow> rows = RowsOf(*s);
    rows.push_back(SwpEmptyRow());
    Edit(rows[1], scLat, QStringLiteral("garbage")); // B unreadable
    EXPECT_EQ(SwpNearestOrder(rows), (std::vector<uint32_t>{0, 2, 4, 3, 1, 5}));
}

TEST_F(SwpRows, NearestOrderMatchesPairwiseOnRandomSets)
{
    std::mt19937 rng(7);
    std::uniform_int_distribution<int32> lat(4400000, 4800000), lon(-200000, 900000);
    auto s = std::make_unique<TSwp>();
    for (int i = 0; i < 600; ++i) {
        auto p = std::make_unique<TWpt>();
        p->Lat = lat(rng);
        p->Lon = lon(rng);
        s->AddWpt(p);
    }
    const std::vector<TSwpRow> rows = RowsOf(*s);
    // The plain greedy walk over all pairs.
    std::vector<uint32_t> expect{0};
    std::vector<bool> used(rows.size());
    used[0] = true;
    for (size_t n = 1; n < rows.size(); ++n) {
        const TPos& a = rows[expect.back()].Wpt;
        double best = 1e300;
        uint32_t bi = 0;
        for (uint32_t j = 0; j < rows.size(); ++j) {
            if (used[j]) continue;
            const TPos& b = rows[j].Wpt;
            const double la = a.Lat * M_PI / 18e6, lb = b.Lat * M_PI / 18e6;
            const double c = std::sin(la) * std::sin(lb) +
                             std::cos(la) * std::cos(lb) * std::cos((a.Lon - b.Lon) * M_PI / 18e6);
            const double d = std::acos(std::clamp(c, -1.0, 1.0));
            if (d < best) {
                best = d;
                bi = j;
            }
        }
        used[bi] = true;
        expect.push_back(bi);
    }
    EXPECT_EQ(SwpNearestOrder(rows), expect);
}

TEST_F(SwpRows, RebuildRejectsCarriesAndSelects)
{
    auto s = MakeSet({TW{"M1", 100, 100, 0, true}, TW{"U1", 200, 200, 0, false}, TW{"M2", 300, 300, 0, true},
                      TW{"U2", 400, 400, 0, false}});
    std::vector<TSwpRow> rows = RowsOf(*s, true);
    ASSERT_EQ(rows.size(), 2u);
    Edit(rows[0], scAlt, QStringLiteral("12x4 m"));
    rows.insert(rows.begin() + 1, SwpEmptyRow()); // an inserted row left empty does not read
    Edit(rows[2], scLat, QStringLiteral("N45°00.00'"));
    // Selected row rejected: no selected waypoint.
    TSwpRebuild r = SwpRebuild(rows, s.get(), true, 0, true);
    EXPECT_EQ(r.Rejected, 2);
    QStringList names;
    for (const TWpt* w = r.Set->First; w; w = w->Next) names << w->Name;
    EXPECT_EQ(names, (QStringList{"M2", "U1", "U2"}));
    EXPECT_EQ(r.Set->First->Lat, 4500000);
    EXPECT_EQ(r.Set->SelWpt, nullptr);
    EXPECT_EQ(SwpCarriedCount(s.get(), true), 2);
    // Marks only: rebuilt without becoming modified; long texts cut.
    rows = RowsOf(*s);
    rows[1].Marked = true;
    Edit(rows[0], scName, QStringLiteral("A_VERY_LONG_NAME_INDEED"));
    Edit(rows[0], scComment, QString(100, QLatin1Char('c')));
    r = SwpRebuild(rows, s.get(), false, 2, false);
    EXPECT_FALSE(r.Set->Modified);
    EXPECT_TRUE(r.Set->First->Next->Rep);
    EXPECT_EQ(r.Set->SelWpt->Name, QStringLiteral("M2"));
    EXPECT_EQ(r.Set->First->Name, QStringLiteral("A_VERY_LONG_NAM"));
    EXPECT_EQ(r.Set->First->Comment.size(), WptCommentLen);
}

TEST_F(SwpRows, RealSetRoundTripsExactly)
{
    Opt->UniteLatiLong = 0; // seconds: texts lose up to 15 m
    Opt->UniteAltitude = 1; // feet: texts lose up to 1.5 m
    for (const char* file :
         {"waypoints/euregio9.dat", "waypoints/waypoints.dat", "waypoints/expertgps.gpx"}) {
        ASSERT_TRUE(OpenSwpFile(QStringLiteral(ZPH_TESTDATA "/") + QLatin1String(file))) << file;
        std::vector<TSwpRow> rows = RowsOf(*Swp);
        Edit(rows[3], scName, QStringLiteral("RENAMED"));
        const std::vector<uint32_t> near = SwpNearestOrder(rows);
        std::vector<TSwpRow> ordered;
        for (uint32_t i : near) ordered.push_back(rows[i]);
        const TSwpRebuild r = SwpRebuild(ordered, Swp, false, -1, true);
        ASSERT_EQ(r.Set->Count, Swp->Count) << file;
        size_t i = 0;
        for (const TWpt* w = r.Set->First; w; w = w->Next, ++i) {
            const TWpt& o = *ordered[i].Source;
            EXPECT_EQ(w->Name, &o == Swp->First->Next->Next->Next ? QStringLiteral("RENAMED") : o.Name);
            EXPECT_EQ(std::tuple(w->Lat, w->Lon, w->Alt, w->Attr, w->Rep, w->Comment),
                      std::tuple(o.Lat, o.Lon, o.Alt, o.Attr, o.Rep, o.Comment))
                << file << " " << o.Name.toStdString();
        }
    }
    // Saved in the own format and read back: still where they were.
    QTemporaryDir dir;
    const QString zph = dir.filePath(QStringLiteral("set.zph"));
    std::vector<std::tuple<int32, int32, int32>> saved, read;
    for (const TWpt* w = Swp->First; w; w = w->Next) saved.emplace_back(w->Lat, w->Lon, w->Alt);
    ASSERT_TRUE(SaveSwpFile(zph));
    ASSERT_TRUE(OpenSwpFile(zph));
    for (const TWpt* w = Swp->First; w; w = w->Next) read.emplace_back(w->Lat, w->Lon, w->Alt);
    EXPECT_EQ(read, saved);
}
