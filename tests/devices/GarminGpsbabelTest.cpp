// The simulated receiver as a third-party host sees it: gpsbabel reads what it holds and
// writes to it over the pseudo-terminal.
#include "sim/SimGarmin.h"
#include "support/PtyFixture.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class Gpsbabel : public ::testing::Test
{
protected:
    PtyFixture pty;
    TSimGarmin dev{pty};
    QTemporaryDir dir;
    QString exe = QStandardPaths::findExecutable(QStringLiteral("gpsbabel"));

    void SetUp() override
    {
        ASSERT_TRUE(pty.Ok());
        // The project's install script installs it.
        ASSERT_FALSE(exe.isEmpty()) << "gpsbabel is not installed (scripts/install-deps.sh)";
    }
    // Runs gpsbabel while the receiver answers; its exit code.
    int Run(const QStringList& args, QString* err = nullptr)
    {
        QProcess p;
        p.start(exe, args);
        EXPECT_TRUE(p.waitForStarted(5000));
        QElapsedTimer t;
        t.start();
        while (p.state() != QProcess::NotRunning && t.elapsed() < 30000) {
            dev.Pump(5);
            p.waitForFinished(1);
        }
        if (p.state() != QProcess::NotRunning) {
            p.kill();
            p.waitForFinished(2000);
            ADD_FAILURE() << "gpsbabel did not finish";
        }
        if (err) *err = QString::fromLocal8Bit(p.readAllStandardError());
        return p.exitCode();
    }
};

} // namespace

TEST_F(Gpsbabel, ReadsWhatTheReceiverHolds)
{
    dev.SetCapabilities("P000 L001 A010 A100 D108 A201 D202 D108 D210 A301 D310 D301");
    dev.Waypoints = {{"ALPHA", "first", 45.25, 6.5, 1200.f, 18}, {"BRAVO", "", -33.5, 151.25, 1.0e25f, 18}};
    TSimGarmin::Track trk{"ACTIVE LOG", {}};
    for (int k = 0; k < 5; ++k) {
        TSimGarmin::TrkPt p;
        p.Lat = 45.0 + k * 0.001;
        p.Lon = 6.0;
        p.Time = 1089000000u + k * 60; // 2024-07
        p.Alt = 1000.f + k;
        trk.Points << p;
    }
    dev.Tracks = {trk};
    dev.Routes = {{1, "TOUR", {dev.Waypoints[0], dev.Waypoints[1]}}};
    const QString out = dir.filePath("out.gpx");
    QString err;
    ASSERT_EQ(Run({"-t", "-w", "-r", "-i", "garmin", "-f", pty.SlavePath(), "-o", "gpx", "-F", out}, &err), 0)
        << err.toStdString();
    QFile f(out);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray gpx = f.readAll();
    EXPECT_TRUE(gpx.contains("<name>ALPHA</name>")) << gpx.constData();
    EXPECT_TRUE(gpx.contains("<name>BRAVO</name>"));
    // Within the semicircle's resolution.
    EXPECT_TRUE(gpx.contains("<wpt lat=\"45.2499999") && gpx.contains("lon=\"6.5000000")) << gpx.constData();
    EXPECT_TRUE(gpx.contains("<name>TOUR</name>"));
    EXPECT_EQ(gpx.count("<rtept"), 2);
    EXPECT_EQ(gpx.count("<trkpt"), 5);
    EXPECT_TRUE(gpx.contains("<ele>1004.000</ele>"));
    EXPECT_EQ(dev.BadFrames, 0);
}

TEST_F(Gpsbabel, WritesWhatTheReceiverDecodes)
{
    dev.SetCapabilities("P000 L001 A010 A100 D108 A201 D202 D108 D210 A301 D310 D301");
    const QString in = dir.filePath("in.gpx");
    {
        QFile f(in);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(R"(<?xml version="1.0"?>
<gpx version="1.1" creator="test" xmlns="http://www.topografix.com/GPX/1/1">
<wpt lat="45.5" lon="6.25"><ele>1500</ele><name>Sommet</name><cmt>Col</cmt></wpt>
<wpt lat="-12.125" lon="-70.5"><name>Lac</name></wpt>
<rte><name>Circuit</name>
<rtept lat="45.5" lon="6.25"><name>Sommet</name></rtept>
<rtept lat="45.6" lon="6.35"><name>Refuge</name></rtept>
<rtept lat="45.7" lon="6.45"><name>Gite</name></rtept>
</rte>
<trk><name>Vol</name><trkseg>
<trkpt lat="44.0" lon="5.0"><ele>900</ele><time>2024-07-14T10:00:00Z</time></trkpt>
<trkpt lat="44.001" lon="5.001"><ele>950</ele><time>2024-07-14T10:00:10Z</time></trkpt>
</trkseg></trk>
</gpx>
)");
    }
    QString err;
    ASSERT_EQ(Run({"-t", "-w", "-r", "-i", "gpx", "-f", in, "-o", "garmin", "-F", pty.SlavePath()}, &err), 0)
        << err.toStdString();
    QList<TSimGarmin::Wpt> wpts;
    QList<TSimGarmin::Route> routes;
    QList<TSimGarmin::Track> tracks;
    for (const TSimGarmin::Upload& u : dev.Uploads) {
        EXPECT_TRUE(u.CountOk()) << u.Announced << " " << u.Items.size();
        EXPECT_TRUE(u.OrderOk);
        EXPECT_EQ(u.BadRecords, 0);
        wpts += u.Waypoints;
        routes += u.Routes;
        tracks += u.Tracks;
    }
    ASSERT_GE(wpts.size(), 2);
    EXPECT_EQ(wpts[0].Ident.toUpper(), "SOMMET"); // gpsbabel upper-cases for older receivers
    EXPECT_NEAR(wpts[0].Lat, 45.5, 1e-6);
    EXPECT_EQ(wpts[0].Alt, 1500.f);
    EXPECT_NEAR(wpts[1].Lon, -70.5, 1e-6);
    ASSERT_EQ(routes.size(), 1);
    EXPECT_EQ(routes[0].Name, "Circuit");
    ASSERT_EQ(routes[0].Points.size(), 3);
    EXPECT_EQ(routes[0].Points[2].Ident.toUpper(), "GITE");
    ASSERT_EQ(tracks.size(), 1);
    ASSERT_EQ(tracks[0].Points.size(), 2);
    EXPECT_EQ(tracks[0].Points[1].Time - tracks[0].Points[0].Time, 10u);
    EXPECT_EQ(tracks[0].Points[1].Alt, 950.f);
}
