// Trace readers (GPX, KML, NMEA, DAT) on real files and hand-made inputs, and the KML and DAT
// writers read back.
#include "files/TrjFormats.h"
#include "model/Calc.h"
#include "platform/Msg.h"
#include <gtest/gtest.h>
#include <tuple>
#include <vector>

namespace {

class TrjFormats : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Msg::SetHeadless(true);
        ModelInit();
        CloseAllTrj();
    }
    void TearDown() override { CloseAllTrj(); }

    static std::vector<TTrj*> Traces()
    {
        std::vector<TTrj*> v;
        for (TTrj* T = FirstTrj; T; T = T->NextTrj) v.push_back(T);
        return v;
    }
    static std::vector<TRec> Fixes(const TTrj* T)
    {
        std::vector<TRec> v;
        for (const TRec* P = T->First; P; P = P->Next) v.push_back(*P);
        return v;
    }
    // Traces, fixes and rejected records of a read.
    static std::tuple<int, int, int> Counts(const TReadReport& R) { return {R.Traces, R.Fixes, R.Rejected}; }
    // Closes every trace and clears the report before the next read.
    static void Restart(TReadReport& R)
    {
        CloseAllTrj();
        R = TReadReport();
    }
    // What a writer must keep of every fix.
    static auto Kept(const std::vector<TRec>& F)
    {
        std::vector<std::tuple<int32, int32, int32, int32, int32, uint8>> v;
        for (const TRec& r : F) v.emplace_back(r.Lat, r.Lon, r.Alt, r.AltGps, r.Time, r.Kind);
        return v;
    }
    static TDateTime Day(int y, int m, int d) { return EncodeDate(y, m, d); }
    // Time units of a time of day.
    static int32 Hms(int h, int m, double s)
    {
        return int32(std::nearbyint((h * 3600 + m * 60 + s) / 0.036));
    }
};

QString Data(const char* Rel)
{
    return QString(ZPH_TESTDATA) + Rel;
}

} // namespace

// ---- GPX -------------------------------------------------------------------------------------

TEST_F(TrjFormats, GpxFlightWithFourTracks)
{
    TReadReport R;
    ASSERT_TRUE(LoadGpxTrj(Data("/gpx/igc1.gpx"), R));
    EXPECT_EQ(Counts(R), std::tuple(4, 121, 0));
    const auto T = Traces();
    ASSERT_EQ(T.size(), 4u);
    EXPECT_EQ(std::tuple(T[0]->RecCount, T[1]->RecCount, T[2]->RecCount, T[3]->RecCount),
              std::tuple(2, 2, 113, 4));
    EXPECT_EQ(T[0]->Name, "igc1");
    EXPECT_EQ(T[1]->Name, "igc1 - #2");
    EXPECT_EQ(T[0]->Date, Day(2004, 4, 24));
    EXPECT_EQ(std::tuple(T[0]->First->Lat, T[0]->First->Lon, T[0]->First->Time, T[0]->First->Alt),
              std::tuple(-3074749, 15072052, Hms(0, 25, 32), 0));
    // The last track was recorded the next morning: a trace of its own day.
    EXPECT_EQ(T[3]->Date, Day(2004, 4, 25));
    EXPECT_EQ(std::tuple(T[3]->First->Time, T[3]->Last->Time, T[3]->Loaded),
              std::tuple(Hms(3, 48, 36), Hms(3, 50, 9), true));
    EXPECT_EQ(T[0]->FileName, Data("/gpx/igc1.gpx"));
}

TEST_F(TrjFormats, GpxOneTrackFiles)
{
    TReadReport R;
    ASSERT_TRUE(LoadGpxTrj(Data("/gpx/garmin_g1000~gpx.gpx"), R));
    ASSERT_TRUE(Trj);
    EXPECT_EQ(Trj->RecCount, 442);
    EXPECT_EQ(Trj->Date, Day(2014, 3, 29));
    EXPECT_EQ(
        std::tuple(Trj->First->Lat, Trj->First->Lon, Trj->First->Alt, Trj->First->AltGps, Trj->First->Time),
        std::tuple(4021713, -11171771, 1377, 1377, Hms(22, 50, 22)));
    // The lowest is 1375.806.
    EXPECT_EQ(std::tuple(Trj->Last->Alt, Trj->AltMin, Trj->AltMax), std::tuple(1670, 1376, 1670));

    // A barograph track: every position is 0,0 but altitude and time are real.
    Restart(R);
    ASSERT_TRUE(LoadGpxTrj(Data("/gpx/igc1_baro.gpx"), R));
    EXPECT_EQ(std::tuple(Trj->RecCount, Trj->First->Alt, Trj->Last->Alt, Trj->First->Time),
              std::tuple(637, 829, 330, Hms(2, 16, 0)));

    // Waypoints and routes are not fixes: only the track of this file is read.
    Restart(R);
    ASSERT_TRUE(LoadGpxTrj(Data("/waypoints/expertgps.gpx"), R));
    EXPECT_EQ(std::tuple(R.Traces, R.Fixes), std::tuple(1, 64));
}

TEST_F(TrjFormats, GpxSegmentsBadPointsAndTimes)
{
    const QByteArray gpx = R"(<?xml version="1.0"?>
<gpx version="1.1"><trk><name>Vol</name>
<trkseg>
 <trkpt lat="45.00001" lon="5.5"><ele>500.4</ele><time>2021-06-01T23:59:58Z</time>
   <extensions><ele>9999</ele></extensions></trkpt>
 <trkpt lat="95" lon="5.5"><time>2021-06-01T23:59:59Z</time></trkpt>
 <trkpt lat="45.1" lon="5.6"><ele>x</ele><time>2021-06-01T23:59:59Z</time></trkpt>
 <trkpt lat="45.1" lon="5.6"><time>2021-06-02T00:00:01Z</time></trkpt>
</trkseg>
<trkseg>
 <trkpt lat="45.2" lon="5.7"><ele>510</ele><time>2021-06-02T02:00:01.5+02:00</time></trkpt>
 <trkpt lat="45.3" lon="5.7"><ele>510</ele><time>2021-06-02T00:00:02Z</time></trkpt>
 <trkpt lat="45.3" lon="5.8"><ele>520</ele><time>2021-06-01T23:00:00Z</time></trkpt>
 <trkpt lat="45.4" lon="5.9"/>
 <trkpt lat="45.5" lon="5.9"><time>bad</time></trkpt>
</trkseg></trk></gpx>)";
    TReadReport R;
    ASSERT_TRUE(LoadGpxTrjData(gpx, "/x/vol.gpx", R));
    EXPECT_EQ(Counts(R), std::tuple(1, 6, 3)); // rejected: lat 95, ele "x", the bad time
    EXPECT_EQ(R.Retimed, 1);                   // the fix an hour back
    ASSERT_TRUE(Trj);
    EXPECT_EQ(Trj->Name, "vol - Vol");
    EXPECT_EQ(Trj->Date, Day(2021, 6, 1));
    const auto F = Fixes(Trj);
    ASSERT_EQ(F.size(), 6u);
    // The extension's ele is not the fix's.
    EXPECT_EQ(std::tuple(F[0].Lat, F[0].Alt, F[0].Time), std::tuple(4500001, 500, Hms(23, 59, 58)));
    // After midnight; the second segment starts pen up, at 02:00:01.5+02:00.
    EXPECT_EQ(std::tuple(F[1].Time, F[1].Kind, F[2].Kind, F[2].Time, F[3].Time),
              std::tuple(TimeUnitsPerDay + Hms(0, 0, 1), 0, 1, TimeUnitsPerDay + Hms(0, 0, 1.5),
                         TimeUnitsPerDay + Hms(0, 0, 2)));
    // The fix an hour back keeps its position one second after the previous fix, and so does
    // the point without time; at whole seconds, as the formats we write store them.
    EXPECT_EQ(std::tuple(F[4].Time, F[4].Lon, F[5].Time, F[5].Lat),
              std::tuple(TimeUnitsPerDay + Hms(0, 0, 3), 580000, TimeUnitsPerDay + Hms(0, 0, 4), 4540000));
}

TEST_F(TrjFormats, GpxWithoutTracksOrCut)
{
    TReadReport R;
    EXPECT_FALSE(LoadGpxTrjData("<gpx><wpt lat=\"1\" lon=\"2\"/></gpx>", "a.gpx", R));
    EXPECT_FALSE(R.Error.isEmpty());
    EXPECT_EQ(Trj, nullptr);
    EXPECT_EQ(FirstTrj, nullptr);

    R = TReadReport();
    EXPECT_FALSE(LoadGpxTrj("/nonexistent/a.gpx", R));
    EXPECT_FALSE(R.Error.isEmpty());

    // A document cut in the middle keeps what came before the cut.
    R = TReadReport();
    const QByteArray cut =
        "<gpx><trk><trkseg><trkpt lat=\"1\" lon=\"2\"><time>2020-01-01T10:00:00Z</time></trkpt>"
        "<trkpt lat=\"1\" lon=\"2.1\"><time>2020-01-01T10:00:05Z</time></trkpt><trkpt lat=\"1\" lo";
    EXPECT_TRUE(LoadGpxTrjData(cut, "cut.gpx", R));
    EXPECT_EQ(R.Fixes, 2);
    EXPECT_GE(R.Rejected, 1);
    EXPECT_EQ(Trj->RecCount, 2);
}

// ---- KML -------------------------------------------------------------------------------------

TEST_F(TrjFormats, KmlLineStringSpreadOverItsTimeSpan)
{
    TReadReport R;
    ASSERT_TRUE(LoadKmlTrj(Data("/kml/skydrop.kml"), R));
    EXPECT_EQ(std::tuple(R.Traces, R.Rejected), std::tuple(1, 0));
    ASSERT_TRUE(Trj);
    EXPECT_EQ(Trj->RecCount, 1329);
    EXPECT_EQ(Trj->Name, "skydrop - Flight");
    EXPECT_EQ(Trj->Date, Day(2017, 8, 21));
    // Longitude "+008.5155383".
    EXPECT_EQ(std::tuple(Trj->First->Lon, Trj->First->Lat, Trj->First->Alt, Trj->First->Time),
              std::tuple(851554, 4826627, 768, Hms(17, 0, 5)));
    EXPECT_EQ(std::tuple(Trj->Last->Time, Trj->Last->Alt), std::tuple(Hms(17, 22, 32), 753));
    // The highest as the file's own summary says; the summary's lowest (750) is not among the fixes.
    EXPECT_EQ(std::tuple(Trj->AltMax, Trj->AltMin), std::tuple(1078, 751));
    // The comment between the first two tuples did not break them.
    EXPECT_EQ(Trj->First->Next->Lon, 851627);
}

TEST_F(TrjFormats, KmlTracksWinOverLineStrings)
{
    TReadReport R;
    ASSERT_TRUE(LoadKmlTrj(Data("/kml/27GLQKF3.igc.kml"), R));
    EXPECT_EQ(Counts(R), std::tuple(2, 2140, 0));
    const auto T = Traces();
    ASSERT_EQ(T.size(), 2u);
    EXPECT_EQ(T[0]->Name, "27GLQKF3.igc - PRESALTTRK");
    EXPECT_EQ(T[1]->Name, "27GLQKF3.igc - GNSSALTTRK");
    for (TTrj* t : T) {
        EXPECT_EQ(
            std::tuple(t->RecCount, t->Date, t->First->Lat, t->First->Lon, t->First->Time, t->Last->Time),
            std::tuple(1070, Day(2022, 7, 16), 4384033, -8044308, Hms(19, 41, 31), Hms(21, 11, 20)));
    }
    EXPECT_EQ(std::tuple(T[0]->First->Alt, T[1]->First->Alt), std::tuple(438, 463));
}

TEST_F(TrjFormats, KmlHandMade)
{
    // A multi-track is one trace with pen-up segments; times and coordinates pair by index.
    const QByteArray kml = R"(<kml xmlns:gx="http://www.google.com/kml/ext/2.2"><Placemark><name>P</name>
<gx:MultiTrack>
<gx:Track><when>2020-05-01T10:00:00Z</when><when>2020-05-01T10:00:10Z</when><when>2020-05-01T10:00:20Z</when>
<gx:coord>5 45 100</gx:coord><gx:coord>5.1 45.1 nope</gx:coord><gx:coord>5.2 45.2 120</gx:coord></gx:Track>
<gx:Track><when>2020-05-01T10:05:00Z</when><when>2020-05-01T10:05:10Z</when>
<gx:coord>6	46	200</gx:coord><gx:coord>6.1 46.1 210</gx:coord><gx:coord>6.2 46.2 220</gx:coord></gx:Track>
</gx:MultiTrack></Placemark>
<Placemark><LineString><coordinates>1,2,3 4,5,6</coordinates></LineString></Placemark></kml>)";
    TReadReport R;
    ASSERT_TRUE(LoadKmlTrjData(kml, "m.kml", R));
    // Rejected: the bad altitude, the coordinate without time.
    EXPECT_EQ(std::tuple(R.Traces, R.Rejected), std::tuple(1, 2));
    const auto F = Fixes(Trj);
    ASSERT_EQ(F.size(), 4u);
    EXPECT_EQ(std::tuple(F[1].Lat, F[2].Kind, F[2].Lat, F[2].Alt, F[3].Time),
              std::tuple(4520000, 1, 4600000, 200, Hms(10, 5, 10)));

    // Line strings without time span: one second apart, no date.
    Restart(R);
    ASSERT_TRUE(LoadKmlTrjData("<kml><Placemark><LineString><coordinates>\n 1,2,3\n\t4,5\n 400,5 x\n"
                               "</coordinates></LineString></Placemark></kml>",
                               "l.kml", R));
    EXPECT_EQ(R.Rejected, 2);
    const auto G = Fixes(Trj);
    ASSERT_EQ(G.size(), 2u);
    EXPECT_EQ(std::tuple(Trj->Date, G[0].Lon, G[0].Lat, G[0].Alt, G[1].Time, G[1].Alt),
              std::tuple(0, 100000, 200000, 3, 28, 0));
}

TEST_F(TrjFormats, KmlOddNesting)
{
    // Line strings found inside an open track grow the list of paths while the track is open.
    QByteArray kml = "<kml><LineString><gx:Track><when>2020-05-01T10:00:00Z</when>";
    for (int i = 0; i < 40; ++i) kml += "<coordinates>1,2 3,4</coordinates>";
    kml += "<gx:coord>5 45 100</gx:coord></gx:Track></LineString></kml>";
    TReadReport R;
    ASSERT_TRUE(LoadKmlTrjData(kml, "odd.kml", R));
    EXPECT_EQ(std::tuple(R.Traces, Trj->RecCount, Trj->First->Lat), std::tuple(1, 1, 4500000));
}

TEST_F(TrjFormats, KmlWriterReadsBack)
{
    TTrj* T = NewTrj();
    T->Name = "Vol <test> & co";
    T->Date = Day(2023, 7, 30);
    auto rec = std::make_unique<TRec>();
    const int32 times[] = {Hms(23, 59, 0), Hms(23, 59, 30.6), TimeUnitsPerDay + Hms(0, 0, 4),
                           TimeUnitsPerDay + Hms(0, 1, 0)};
    for (int i = 0; i < 4; ++i) {
        rec->Lat = -4512345 + i * 7;
        rec->Lon = i == 3 ? -17999999 : 612345 - i;
        rec->Alt = i == 1 ? -12 : 1500 + i;
        rec->AltGps = rec->Alt;
        rec->Time = times[i];
        rec->Kind = i == 2 ? 1 : 0;
        ASSERT_TRUE(T->AddRec(rec));
    }
    TrjLoaded();
    const QByteArray kml = WriteKmlTrj(*T);
    const auto before = Fixes(T);
    CloseAllTrj();
    TReadReport R;
    ASSERT_TRUE(LoadKmlTrjData(kml, "back.kml", R));
    EXPECT_EQ(std::tuple(R.Traces, R.Rejected, Trj->Date), std::tuple(1, 0, Day(2023, 7, 30)));
    EXPECT_EQ(Trj->Name, "back - Vol <test> & co");
    EXPECT_EQ(Kept(Fixes(Trj)), Kept(before));
    // And the same text again.
    EXPECT_EQ(QString::fromUtf8(WriteKmlTrj(*Trj)).remove("back - "), QString::fromUtf8(kml));
}

// ---- NMEA ------------------------------------------------------------------------------------

TEST_F(TrjFormats, NmeaRealLogs)
{
    TReadReport R;
    ASSERT_TRUE(LoadNmeaTrj(Data("/nmea/rl-traffic.nmea"), R));
    EXPECT_EQ(std::tuple(R.Fixes, R.Rejected), std::tuple(465, 1)); // one RMC line is corrupt ("*5DDMIKP")
    EXPECT_EQ(Trj->Date, Day(2024, 12, 28));
    // 4857.88170N 00705.83929E, PGRMZ 4395 ft, GGA altitude.
    EXPECT_EQ(
        std::tuple(Trj->First->Lat, Trj->First->Lon, Trj->First->Time, Trj->First->Alt, Trj->First->AltGps),
        std::tuple(4896470, 709732, Hms(13, 47, 49.6), 1340, 1452));
    EXPECT_EQ(Trj->Last->Time, Hms(13, 55, 47.6));

    Restart(R);
    ASSERT_TRUE(LoadNmeaTrj(Data("/nmea/neo-m8n.log"), R));
    EXPECT_EQ(std::tuple(R.Fixes, Trj->Date, Trj->First->Lon, Trj->First->Alt, Trj->First->Time),
              std::tuple(23, Day(2015, 3, 18), -12131425, 1147, Hms(17, 19, 26))); // west

    Restart(R);
    ASSERT_TRUE(LoadNmeaTrj(Data("/nmea/garmin48.log"), R));
    // South; GPS altitude 14.7, PGRMZ 48 ft.
    EXPECT_EQ(
        std::tuple(R.Fixes, Trj->Date, Trj->First->Lat, Trj->First->Lon, Trj->First->AltGps, Trj->First->Alt),
        std::tuple(7, Day(2001, 6, 6), -4545763, 16715275, 15, 15));
}

TEST_F(TrjFormats, NmeaHandMade)
{
    auto line = [](const QByteArray& body) {
        int x = 0;
        for (char c : body) x ^= uchar(c);
        return "$" + body + "*" + QByteArray::number(x, 16).toUpper().rightJustified(2, '0') + "\r\n";
    };
    QByteArray log;
    log += "garbage line\r\n";
    log += line("GPGGA,235959,4500.000,N,00500.000,E,1,08,1.0,1000.0,M,0,M,,"); // GGA before RMC
    log += line("GPRMC,235959,A,4500.000,N,00500.000,E,0,0,311299,,");
    log += line("PGRMZ,500,m,3"); // same cycle
    log += line("GPRMC,000001,A,4500.600,N,00500.600,W,0,0,010100,,");
    log += line("GPRMC,000002,V,4500.600,N,00500.600,W,0,0,010100,,");   // void
    log += "$GPRMC,000003,A,4501.000,S,00501.000,W,0,0,010100,,*00\r\n"; // bad checksum
    log += "$GPRMC,000004,A,4502.000,N,00502.000,E,0,0,010100,,\r\n";    // no checksum
    log += line("GPRMC,000005,A,4502.000,N,00502.000,E,0,0,320100,,");   // no such date
    log += line("GPRMC,00000");                                          // too short
    TReadReport R;
    ASSERT_TRUE(LoadNmeaTrjData(log, "n.nmea", R));
    EXPECT_EQ(std::tuple(R.Fixes, R.Rejected, Trj->Date), std::tuple(3, 4, Day(1999, 12, 31)));
    const auto F = Fixes(Trj);
    ASSERT_EQ(F.size(), 3u);
    // Pressure altitude in metres.
    EXPECT_EQ(std::tuple(F[0].Alt, F[0].AltGps, F[0].Time), std::tuple(500, 1000, Hms(23, 59, 59)));
    // No altitude at all in that cycle.
    EXPECT_EQ(std::tuple(F[1].Time, F[1].Lon, F[1].Alt, F[1].AltGps),
              std::tuple(TimeUnitsPerDay + Hms(0, 0, 1), -501000, 0, 0));
    EXPECT_EQ(F[2].Lat, 4503333);

    Restart(R);
    EXPECT_FALSE(
        LoadNmeaTrjData(line("GPGGA,120000,4500.000,N,00500.000,E,1,08,1.0,1000.0,M,0,M,,"), "g.nmea", R));
    EXPECT_EQ(FirstTrj, nullptr);
}

// ---- DAT -------------------------------------------------------------------------------------

TEST_F(TrjFormats, DatLine)
{
    TRec r;
    EXPECT_EQ(ParseDatLine("123456 +45.12345 -005.00001 +0350 +0362\r\n", r), 0);
    EXPECT_EQ(std::tuple(r.Time, r.Lat, r.Lon, r.Alt, r.AltGps),
              std::tuple(Hms(12, 34, 56), 4512345, -500001, 350, 362));
    // Blanks and signs are free; the GPS altitude is optional.
    r = TRec();
    EXPECT_EQ(ParseDatLine("000001\t45.5   5.25 -12", r), 0);
    EXPECT_EQ(std::tuple(r.AltGps, r.Lon), std::tuple(-12, 525000));
    // Field errors are counted one by one: 60 seconds, five digits, out of range, longitude and
    // altitude missing, a field too many, no believable altitude.
    for (const auto& [line, errors] : {std::pair("126000 +45.1 +5.1 +100", 1),
                                       {"12345 +45.1 +5.1 +100", 1},
                                       {"123456 +95.1 +185.1 +100", 2},
                                       {"123456 +45.1 +5.1 abc x", 2},
                                       {"123456 +45.1", 2},
                                       {"123456", 3},
                                       {"", 4},
                                       {"123456 +45.1 +5.1 +100 +100 +7", 1},
                                       {"123456 +45.1 +5.1 +100 +999999", 1}})
        EXPECT_EQ(ParseDatLine(QString::fromLatin1(line), r), errors) << line;
    // Only the first 255 characters count.
    EXPECT_EQ(ParseDatLine("123456 +45.1 +5.1 +100" + QString(300, ' ') + "junk", r), 0);

    TDateTime d = 0;
    EXPECT_TRUE(ParseDatHeader("Date 150804\r\n", d));
    EXPECT_EQ(d, Day(2004, 8, 15));
    EXPECT_TRUE(ParseDatHeader("Date 150895", d));
    EXPECT_EQ(d, Day(1995, 8, 15));
    for (const char* bad : {"Date 310204", "Date", "123456 +45 +5 +1"})
        EXPECT_FALSE(ParseDatHeader(bad, d)) << bad;
}

TEST_F(TrjFormats, DatFileWithTwoFlights)
{
    const QByteArray dat = "000100 +01.0 +01.0 +10\r\n" // before any header: no date
                           "*Date 150804\r\n"
                           "235958 +45.00000 +005.00000 +0500\r\n"
                           "235958 +45.00001 +005.00000 +0501\r\n" // same time: a second later
                           "bad line\r\n"
                           "000002 +45.00010 +005.00010 +0502 +0512\r\n"
                           "\r\n"
                           "Date 991399\r\n" // not a date: a trace without one
                           "Date 010105\n"
                           "*120000 +46.00000 +006.00000 +1000\n";
    TReadReport R;
    ASSERT_TRUE(LoadDatTrjData(dat, "log.dat", R));
    EXPECT_EQ(Counts(R), std::tuple(3, 5, 2));
    EXPECT_EQ(R.Retimed, 1);
    const auto T = Traces();
    ASSERT_EQ(T.size(), 3u);
    EXPECT_EQ(std::tuple(T[0]->Date, T[1]->Date, T[2]->Date, T[2]->First->Lat),
              std::tuple(0, Day(2004, 8, 15), Day(2005, 1, 1), 4600000));
    const auto F = Fixes(T[1]);
    ASSERT_EQ(F.size(), 3u);
    EXPECT_EQ(std::tuple(F[0].Alt, F[1].Alt, F[1].Time, F[2].Time, F[2].AltGps),
              std::tuple(500, 501, F[0].Time + 28, TimeUnitsPerDay + Hms(0, 0, 2), 512));
}

TEST_F(TrjFormats, DatWriterReadsBack)
{
    TTrj* T = NewTrj();
    T->Date = Day(1998, 2, 3);
    auto rec = std::make_unique<TRec>();
    const int32 times[] = {Hms(23, 59, 58), TimeUnitsPerDay + Hms(0, 0, 1), TimeUnitsPerDay + Hms(1, 0, 0)};
    for (int i = 0; i < 3; ++i) {
        rec->Lat = -4512345 - i;
        rec->Lon = 17999999 - i * 100000;
        rec->Alt = -20 + 1000 * i;
        rec->AltGps = 3 * i;
        rec->Time = times[i];
        ASSERT_TRUE(T->AddRec(rec));
    }
    TrjLoaded();
    const QByteArray dat = WriteDatTrj(*T);
    EXPECT_TRUE(dat.startsWith("Date 030298\r\n235958 -45.12345 +179.99999 -0020 +0000\r\n"))
        << dat.constData();
    const auto before = Fixes(T);
    CloseAllTrj();
    TReadReport R;
    ASSERT_TRUE(LoadDatTrjData(dat, "w.dat", R));
    EXPECT_EQ(std::tuple(R.Rejected, Trj->Date), std::tuple(0, Day(1998, 2, 3)));
    EXPECT_EQ(Kept(Fixes(Trj)), Kept(before));
    EXPECT_EQ(WriteDatTrj(*Trj), dat);
}

TEST_F(TrjFormats, TraceLimitIsKept)
{
    QByteArray dat = "Date 010120\r\n";
    const int n = 65600;
    dat.reserve(n * 40);
    for (int i = 0; i < n; ++i) {
        const int s = i; // one fix a second, over 18 hours
        dat += QStringLiteral("%1%2%3 +45.00000 +005.00000 +0100\r\n")
                   .arg(s / 3600, 2, 10, QLatin1Char('0'))
                   .arg(s / 60 % 60, 2, 10, QLatin1Char('0'))
                   .arg(s % 60, 2, 10, QLatin1Char('0'))
                   .toLatin1();
    }
    TReadReport R;
    ASSERT_TRUE(LoadDatTrjData(dat, "big.dat", R));
    EXPECT_EQ(std::tuple(R.Fixes, R.Rejected, Trj->RecCount), std::tuple(65535, n - 65535, 65535));
}

TEST_F(TrjFormats, FixesAtTheSameTimeAreKeptAndCounted)
{
    // A track whose points all carry one damaged time: every position stays, one second apart.
    QByteArray gpx = "<gpx><trk><trkseg>";
    for (int i = 0; i < 184; ++i)
        gpx += "<trkpt lat=\"45." + QByteArray::number(1000 + i) +
               "\" lon=\"5.5\"><time>2021-06-01T10:00:00Z</time></trkpt>";
    gpx += "</trkseg></trk></gpx>";
    TReadReport R;
    ASSERT_TRUE(LoadGpxTrjData(gpx, "same.gpx", R));
    EXPECT_EQ(Counts(R), std::tuple(1, 184, 0));
    EXPECT_EQ(R.Retimed, 183);
    const auto F = Fixes(Trj);
    ASSERT_EQ(F.size(), 184u);
    EXPECT_EQ(std::tuple(F[0].Time, F[183].Time, F[183].Lat),
              std::tuple(Hms(10, 0, 0), Hms(10, 3, 3), 4511830));
}

TEST_F(TrjFormats, KmlTimedLineStringWinsOverUntimedOnes)
{
    // A flight tool's file: the flight with its time span, then the optimised legs and the task.
    const QByteArray kml = R"(<kml><Document>
<Placemark><name>Flight</name><TimeSpan><begin>2020-05-01T10:00:00Z</begin><end>2020-05-01T10:00:20Z</end></TimeSpan>
<LineString><coordinates>5,45,100 5.1,45.1,110 5.2,45.2,120</coordinates></LineString></Placemark>
<Placemark><name>Optimised</name><LineString><coordinates>5,45 5.2,45.2</coordinates></LineString></Placemark>
<Placemark><name>Task</name><LineString><coordinates>5,45 6,46 5,45</coordinates></LineString></Placemark>
</Document></kml>)";
    TReadReport R;
    ASSERT_TRUE(LoadKmlTrjData(kml, "tool.kml", R));
    EXPECT_EQ(Counts(R), std::tuple(1, 3, 0));
    ASSERT_EQ(Traces().size(), 1u);
    EXPECT_EQ(Trj->Name, "tool - Flight");
    EXPECT_EQ(Trj->Last->Time, Hms(10, 0, 20));

    // Without any time, every line string is offered.
    TReadReport R2;
    const QByteArray untimed =
        R"(<kml><Placemark><LineString><coordinates>5,45 5.1,45.1</coordinates></LineString></Placemark>
<Placemark><LineString><coordinates>6,46 6.1,46.1</coordinates></LineString></Placemark></kml>)";
    ASSERT_TRUE(LoadKmlTrjData(untimed, "plain.kml", R2));
    EXPECT_EQ(R2.Traces, 2);
}
