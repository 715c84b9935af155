// OpenAir reader: the format's own sample, two national files and hand-made inputs.
#include "files/OpenAir.h"
#include "platform/Msg.h"
#include <cmath>
#include <gtest/gtest.h>
#include <tuple>
#include <vector>

namespace {

class OpenAir : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Msg::SetHeadless(true);
        ModelInit();
    }
    static std::unique_ptr<TSmp> Read(const char* Rel, int Def, TReadReport& R)
    {
        return ReadOpenAirFile(QString(ZPH_TESTDATA) + Rel, Def, R);
    }
    static std::vector<TMpf*> Zones(const TSmp& S)
    {
        std::vector<TMpf*> v;
        for (TMpf* M = S.First; M; M = M->Next) v.push_back(M);
        return v;
    }
    static std::vector<TDrd*> Elements(const TMpf& M)
    {
        std::vector<TDrd*> v;
        for (TDrd* D = M.First; D; D = D->Next) v.push_back(D);
        return v;
    }
    // Points, arcs and circles of all the zones.
    static std::tuple<int, int, int> Count(const TSmp& S)
    {
        int Pts = 0, Arcs = 0, Circles = 0;
        for (TMpf* M = S.First; M; M = M->Next)
            for (TDrd* D = M->First; D; D = D->Next) {
                Pts += D->Kind == dkPoint;
                Arcs += D->Kind == dkArc;
                Circles += D->Kind == dkCircle;
            }
        return {Pts, Arcs, Circles};
    }
    // Sphere distance in metres and course in degrees, written here from the textbook formulas.
    static double Dist(const TPos& A, const TPos& B)
    {
        const double k = M_PI / 180e5;
        const double f1 = A.Lat * k, f2 = B.Lat * k, dl = (B.Lon - A.Lon) * k;
        return 6371000.0 * std::acos(std::min(1.0, std::sin(f1) * std::sin(f2) +
                                                       std::cos(f1) * std::cos(f2) * std::cos(dl)));
    }
    static double Course(const TPos& A, const TPos& B)
    {
        const double k = M_PI / 180e5;
        const double f1 = A.Lat * k, f2 = B.Lat * k, dl = (B.Lon - A.Lon) * k;
        const double c = std::atan2(std::sin(dl) * std::cos(f2),
                                    std::cos(f1) * std::sin(f2) - std::sin(f1) * std::cos(f2) * std::cos(dl));
        return std::fmod(c * 180 / M_PI + 360, 360);
    }
    static int32 Dms(int d, int m, double s)
    {
        return int32(std::nearbyint((d + m / 60.0 + s / 3600.0) * 1e5));
    }
};

} // namespace

TEST_F(OpenAir, TheFormatsSample)
{
    TReadReport R;
    auto S = Read("/openair/sample.txt", 10, R);
    ASSERT_TRUE(S);
    EXPECT_EQ(std::tuple(R.Rejected, S->Count), std::tuple(0, 25));
    EXPECT_EQ(Count(*S), std::tuple(104, 17, 5)); // points, arcs, circles
    const auto Z = Zones(*S);

    // A circle around V X= of 5 NM.
    // Class from "AC C  * This is a comment".
    EXPECT_EQ(std::tuple(Z[0]->Name, Z[0]->Class, Z[0]->Floor, Z[0]->Ceiling),
              std::tuple(QStringLiteral("RENO-C"), 3, QStringLiteral("SFC"), QStringLiteral("8400 ft")));
    auto E = Elements(*Z[0]);
    ASSERT_EQ(E.size(), 1u);
    ASSERT_EQ(E[0]->Kind, dkCircle);
    EXPECT_EQ(std::tuple(E[0]->Lat, E[0]->Lon), std::tuple(3949500, -11977500)); // 39:29.7 N 119:46.5 W
    EXPECT_DOUBLE_EQ(static_cast<TDrd2*>(E[0])->Radius, 5 * 1852.0);

    // DA arcs from angles, a DB arc between points, the direction variable.
    E = Elements(*Z[1]);
    ASSERT_EQ(E.size(), 4u);
    const TPos centre{3949500, -11977500};
    auto* A0 = static_cast<TDrd1*>(E[0]);
    ASSERT_EQ(A0->Kind, dkArc);
    EXPECT_EQ(A0->Centre.Lat, centre.Lat);
    EXPECT_DOUBLE_EQ(A0->Radius, 10 * 1852.0);
    EXPECT_NEAR(Dist(centre, A0->StartPos), 18520, 2);
    EXPECT_NEAR(Dist(centre, *A0), 18520, 2);
    EXPECT_NEAR(Course(centre, A0->StartPos), 270, 0.01);
    EXPECT_NEAR(Course(centre, *A0), 290, 0.01);
    auto* A2 = static_cast<TDrd1*>(E[2]);
    // 39:36.8 N 119:46.1W
    EXPECT_EQ(std::tuple(A2->StartPos.Lat, A2->StartPos.Lon, A2->Lat),
              std::tuple(Dms(39, 36, 48), -Dms(119, 46, 6), Dms(39, 29, 54)));
    EXPECT_NEAR(A2->Radius, Dist(centre, A2->StartPos), 1);
    EXPECT_GT(A2->Radius, 0);
    auto* A3 = static_cast<TDrd1*>(E[3]);
    EXPECT_DOUBLE_EQ(A3->Radius, -5 * 1852.0); // after V D=-
    // The direction goes back to clockwise at the next AC.
    E = Elements(*Z[4]);
    ASSERT_EQ(E.size(), 2u);
    EXPECT_GT(static_cast<TDrd1*>(E[0])->Radius, 0);
    EXPECT_LT(static_cast<TDrd1*>(E[1])->Radius, 0);
    // That zone has no V X of its own: the centre carries over from the zone before.
    EXPECT_EQ(static_cast<TDrd1*>(E[0])->Centre.Lat, Dms(39, 8, 24));
    // "V D=-5" counts as counter-clockwise.
    E = Elements(*Z[5]);
    EXPECT_LT(static_cast<TDrd1*>(E[1])->Radius, 0);

    // Classes: R restricted, W and G to the default; the terrain polygon is not a zone.
    EXPECT_EQ(std::tuple(Z[3]->Name, Z[3]->Class, Z[7]->Class), std::tuple("", 10, 9)); // AC G, AC R
    EXPECT_EQ(std::tuple(Z.back()->Name, Z.back()->Class, Z.back()->Ceiling, Z.back()->Count),
              std::tuple("Minden West", 10, "Ask on 122.8", 4));
    // Zone bounds hold their outline.
    EXPECT_LE(Z[0]->LatMin, 3949500 - 8000);
    EXPECT_GE(Z[0]->LatMax, 3949500 + 8000);
    EXPECT_LE(S->LatMin, Z[0]->LatMin);
}

TEST_F(OpenAir, DefaultClassFromTheDialog)
{
    TReadReport R;
    auto S = Read("/openair/sample.txt", 3, R);
    ASSERT_TRUE(S);
    EXPECT_EQ(Zones(*S).back()->Class, 3);
    S = Read("/openair/sample.txt", 0, R);
    EXPECT_EQ(Zones(*S).back()->Class, 10);
    for (auto [name, def, want] : {std::tuple("A", 5, 1),
                                   {"f", 5, 6},
                                   {" P ", 5, 7},
                                   {"DANGER", 5, 8},
                                   {"R", 5, 9},
                                   {"CTR", 5, 5},
                                   {"GP", 2, 2},
                                   {"G", 11, 10}})
        EXPECT_EQ(OpenAirClass(name, def), want) << name;
}

TEST_F(OpenAir, NationalFiles)
{
    TReadReport R;
    auto S = Read("/openair/2026_03_Airspace_Germany_OA1.txt", 10, R);
    ASSERT_TRUE(S);
    EXPECT_EQ(R.Rejected, 0);
    EXPECT_EQ(S->Count, 678);
    EXPECT_EQ(Count(*S), std::tuple(14349, 302, 122)); // points, arcs, circles
    int byClass[11] = {};
    for (TMpf* M : Zones(*S)) ++byClass[M->Class];
    // AC C, D, Q, R, then CTR, G, RMZ, TMZ and W together.
    EXPECT_EQ(std::tuple(byClass[3], byClass[4], byClass[8], byClass[9], byClass[10]),
              std::tuple(97, 82, 116, 138, 66 + 6 + 31 + 56 + 86));
    EXPECT_EQ(std::tuple(S->First->Name, S->First->Ceiling, S->First->First->Lat, S->First->First->Lon),
              std::tuple("EDR PEENEMUENDE (NOTAM)", "5000ft MSL", Dms(54, 10, 15), Dms(13, 41, 37)));

    R = TReadReport();
    S = Read("/openair/AirspaceAus-DAA.txt", 10, R);
    ASSERT_TRUE(S);
    EXPECT_EQ(R.Rejected, 0);
    EXPECT_EQ(S->Count, 662);
    EXPECT_EQ(Count(*S), std::tuple(3807, 885, 134)); // points, arcs, circles
    const auto Z = Zones(*S);
    EXPECT_EQ(Z[0]->Name, "ADELAIDE");
    EXPECT_EQ(Z[0]->Class, 1);
    EXPECT_EQ(Z[0]->Floor, "FL180");
    const auto E = Elements(*Z[0]);
    ASSERT_EQ(E.size(), 6u);
    EXPECT_EQ(E[0]->Lat, -Dms(35, 30, 1));
    auto* arc = static_cast<TDrd1*>(E[2]);
    ASSERT_EQ(arc->Kind, dkArc);
    EXPECT_LT(arc->Radius, 0); // V D=-
    EXPECT_EQ(arc->Centre.Lon, Dms(138, 31, 28));
    EXPECT_NEAR(std::fabs(arc->Radius), Dist(arc->Centre, arc->StartPos), 1);
}

TEST_F(OpenAir, HostileAndBrokenRecords)
{
    const QByteArray txt = "DP 45:00:00 N 006:00:00 E\r\n" // before any AC
                           "AC Q\r\n"
                           "AN Good\r\n"
                           "AY RESTRICTED\r\n"
                           "V X=45:00:00 N 006:00:00 E\r\n"
                           "DC 2\r\n"
                           "DC -1\r\n" // no such radius
                           "DC 1e300\r\n"
                           "DP 45:61:00 N 006:00:00 E\r\n" // 61 minutes
                           "DP 45:00:00 N 006:00:00\r\n"   // no hemisphere
                           "DA 1,2\r\n"
                           "DB 45:00:00 N 006:00:00 E\r\n"                         // one point only
                           "DB 45:00:00 N 006:00:00 E, 45:00:00 N 006:00:00 E\r\n" // radius 0
                           "XX what\r\n"
                           "V Q\r\n"
                           "AC R\r\n" // a zone without outline
                           "AN Empty\r\n"
                           "AC D\r\n"
                           "AN Stale centre\r\n"
                           "V X=garbage\r\n"
                           "DA 1,0,90\r\n" // no centre now
                           "DP 46:00:00 N 007:00:00 E\r\n"
                           "ac c\r\n"
                           "an lower\r\n"
                           "dp 46:00:00 n 007:00:00 e\r\n";
    TReadReport R;
    auto S = ReadOpenAirData(txt, "h.txt", 10, R);
    ASSERT_TRUE(S);
    const auto Z = Zones(*S);
    ASSERT_EQ(Z.size(), 3u);
    // AY overrides AC.
    EXPECT_EQ(
        std::tuple(Z[0]->Name, Z[0]->Class, Z[0]->Count, Z[1]->Name, Z[1]->Count, Z[2]->Name, Z[2]->Class),
        std::tuple(QStringLiteral("Good"), 9, 1, QStringLiteral("Stale centre"), 1, QStringLiteral("lower"),
                   3));
    // DP first, DC -1, DC 1e300, 61 minutes, no hemisphere, DA 1,2, DB one point, DB radius 0,
    // XX, V Q, the empty zone, V X=garbage, the DA without centre.
    EXPECT_EQ(R.Rejected, 13);

    R = TReadReport();
    EXPECT_FALSE(ReadOpenAirData("* nothing\n", "e.txt", 10, R));
    EXPECT_FALSE(R.Error.isEmpty());
    R = TReadReport();
    EXPECT_FALSE(ReadOpenAirFile("/nonexistent/e.txt", 10, R));
    EXPECT_FALSE(R.Error.isEmpty());
}
