// The printed plan and cross-section.
// - A colour A4 plan page at 600 dpi (1/1000000 centred on the data) to PDF, with 65,535 fixes,
//   5,000 waypoints, 500 zones and a 4000 x 4000 calibrated map: target under 1.5 s and 400 MB
//   peak resident memory (PeakRssMB); the same at 1200 dpi is reported.
// - The Germany OpenAir file on a 600-dpi plan page centred on it, at 1/5000 and at 1/1000000:
//   target under 0.5 s each.
// - A 190 x 100 mm cross-section of 65,535 fixes at 600 dpi: target under 0.3 s; a task page of
//   7 cells over the plan data: reported.
#include "files/IgcFile.h"
#include "files/MapCal.h"
#include "files/OpenAir.h"
#include "model/Define.h"
#include "model/Options.h"
#include "model/Sector.h"
#include "model/Texts.h"
#include "platform/Numbers.h"
#include "print/PrintJob.h"
#include "print/PrintPage.h"

#include <QApplication>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cmath>
#include <sys/resource.h>

namespace {

constexpr int32 CtrLat = 4500000, CtrLon = 600000;

double PeakRssMB()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss / 1024.0;
}

// A trace of 65,535 fixes wandering over about 2 x 2 degrees, with engine noise now and then.
void MakeTrace()
{
    NewTrj();
    for (int i = 0; i < MaxListCount; ++i) {
        auto r = std::make_unique<TRec>();
        const double t = i / 65535.0 * 40;
        r->Time = 10 * TimeUnitsPerHour + i * 28;
        r->Lat = CtrLat + int32(90000 * std::sin(t) + 3000 * std::sin(i / 17.0));
        r->Lon = CtrLon + int32(90000 * std::cos(t * 1.3) + 3000 * std::cos(i / 13.0));
        r->Alt = 500 + int32(1500 * (1 + std::sin(i / 900.0)));
        r->Enl = (i / 5000) % 7 == 0 ? 900 : 50;
        Trj->AddRec(r);
    }
    TrjLoaded();
}

void MakeWaypoints()
{
    TSwp* set = NewSwp();
    for (int i = 0; i < 5000; ++i) {
        auto w = std::make_unique<TWpt>();
        w->Lat = CtrLat - 150000 + (i * 7919) % 300000;
        w->Lon = CtrLon - 200000 + (i * 6271) % 400000;
        w->Name = QStringLiteral("WPT%1").arg(i);
        set->AddWpt(w);
    }
}

// 500 zones: polygons of 12 points, arcs and circles of 2 to 40 km.
void MakeZones()
{
    auto set = std::make_unique<TSmp>();
    for (int z = 0; z < 500; ++z) {
        auto M = std::make_unique<TMpf>();
        M->Class = uint8(1 + z % 10);
        const TPos c{CtrLat - 200000 + (z * 7411) % 400000, CtrLon - 250000 + (z * 5413) % 500000};
        auto add = [&](TDrd* d) {
            d->Prev = M->Last;
            if (M->Last)
                M->Last->Next = d;
            else
                M->First = d;
            M->Last = d;
            ++M->Count;
        };
        const double r = 2000 + (z * 997) % 38000;
        if (z % 3 == 0) {
            auto* d = new TDrd2;
            d->Kind = dkCircle;
            static_cast<TPos&>(*d) = c;
            d->Radius = r;
            add(d);
        } else {
            for (int k = 0; k < 12; ++k) {
                const double a = k * M_PI / 6;
                const TPos p{c.Lat + int32(r / 1.11 * std::sin(a)), c.Lon + int32(r / 0.79 * std::cos(a))};
                if (z % 3 == 2 && k == 6) {
                    auto* d = new TDrd1;
                    d->Kind = dkArc;
                    static_cast<TPos&>(*d) = p;
                    d->StartPos = TPos{c.Lat + int32(r / 1.11 * std::sin(a - 0.5)),
                                       c.Lon + int32(r / 0.79 * std::cos(a - 0.5))};
                    d->Centre = c;
                    d->Radius = r;
                    add(d);
                } else {
                    auto* d = new TDrd;
                    static_cast<TPos&>(*d) = p;
                    add(d);
                }
            }
        }
        set->AddMpf(M);
    }
    SetSmp(std::move(set));
}

// A 4000 x 4000 map of 4 x 3 degrees around the centre.
void MakeMap()
{
    QImage img(4000, 4000, QImage::Format_RGB32);
    for (int y = 0; y < img.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x) line[x] = qRgb(200 + x % 50, 220 - y % 40, 180 + (x ^ y) % 60);
    }
    Map->Image = img;
    Map->Width = Map->Height = 4000;
    const int32 top = CtrLat + 150000, left = CtrLon - 200000, bottom = CtrLat - 150000,
                right = CtrLon + 200000;
    auto pt = [](int32 x, int32 y, int32 la, int32 lo) {
        TMapCalPoint p;
        p.X = x;
        p.Y = y;
        p.Lati = la;
        p.Long = lo;
        return p;
    };
    Map->Pos = {pt(0, 0, top, left), pt(4000, 0, top, right), pt(0, 4000, bottom, left),
                pt(4000, 4000, bottom, right)};
    UpdateMapPointsValid(*Map);
    Map->Lati_Min = bottom;
    Map->Lati_Max = top;
    Map->Long_Min = left;
    Map->Long_Max = right;
    Map->Valid = true;
    Opt->FondCarte = true;
}

TPrintSettings PlanSettings(int32 Lat, int32 Lon, const QString& Scale)
{
    TPrintSettings s;
    s.MonochBtn = false;
    s.MapPlanBtn = true;
    s.AdjPlanBtn = false;
    s.EchPlanBox = Scale;
    s.CtrLatiEdit = LatiToStr(Lat);
    s.CtrLongEdit = LongToStr(Lon);
    s.PrnView = pvPlan;
    for (TCtp& z : s.PrnZoneStyles) z.Draw = true;
    return s;
}

// One page to a PDF file at Dpi, the way the print job lays it out.
void PageToPdf(TPrintSettings& s, int Dpi, const QString& File)
{
    QPdfWriter w(File);
    w.setResolution(Dpi);
    w.setPageSize(QPageSize(QPageSize::A4));
    w.setPageMargins(QMarginsF(0, 0, 0, 0));
    const TPrinterGeometry g = GeometryOfLayout(w.pageLayout(), Dpi);
    TPageContext c;
    c.SetGeometry(PageGeometry(g, s, 0, 0, 1, {}));
    c.Printing = true;
    QPainter p(&w);
    DrawPage(p, c, s);
}

void BM_PlanPageToPdf(benchmark::State& state)
{
    ModelDone();
    ModelInit();
    MakeTrace();
    MakeWaypoints();
    MakeZones();
    MakeMap();
    TPrintSettings s = PlanSettings(CtrLat, CtrLon, QStringLiteral("1/1000000"));
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("plan.pdf"));
    for (auto _ : state) PageToPdf(s, int(state.range(0)), out);
    state.counters["PdfMB"] = QFileInfo(out).size() / 1e6;
    state.counters["PeakRssMB"] = PeakRssMB();
}
BENCHMARK(BM_PlanPageToPdf)->Arg(600)->Arg(1200)->Unit(benchmark::kMillisecond)->Iterations(3);

// A 600-dpi A4 page image, the block of the plan or cross-section drawn on it.
struct TPageImage
{
    QImage Img{4961, 7016, QImage::Format_RGB32};
    TPageContext C;
    TPageImage()
    {
        Img.setDotsPerMeterX(23622);
        Img.setDotsPerMeterY(23622);
        C.PxPerMmX = C.PxPerMmY = 600 / MmPerInch;
        C.PageRect = {236, 236, 4961 - 236, 7016 - 236};
        C.Printing = true;
    }
};

void BM_GermanAirspacePlan(benchmark::State& state)
{
    ModelDone();
    ModelInit();
    TReadReport r;
    auto set =
        ReadOpenAirFile(QStringLiteral(ZPH_TESTDATA "/openair/2026_03_Airspace_Germany_OA1.txt"), 0, r);
    if (!set) {
        state.SkipWithError("no airspace");
        return;
    }
    const int32 lat = Round((double(set->LatMin) + set->LatMax) / 2);
    const int32 lon = Round((double(set->LonMin) + set->LonMax) / 2);
    SetSmp(std::move(set));
    TPrintSettings s = PlanSettings(lat, lon, QStringLiteral("1/%1").arg(state.range(0)));
    TPageImage page;
    for (auto _ : state) {
        QPainter p(&page.Img);
        DrawPlan(p, page.C, s, 236, 400, 4961 - 236, 7016 - 236, -3);
    }
}
BENCHMARK(BM_GermanAirspacePlan)->Arg(5000)->Arg(1000000)->Unit(benchmark::kMillisecond);

void BM_CrossSection(benchmark::State& state)
{
    ModelDone();
    ModelInit();
    MakeTrace();
    TPrintSettings s;
    s.MonochBtn = false;
    TPageImage page;
    const int32 w = Round(190 * page.C.PxPerMmX), h = Round(100 * page.C.PxPerMmY);
    for (auto _ : state) {
        QPainter p(&page.Img);
        DrawCutt(p, page.C, s, 236, 400, 236 + w, 400 + h, 0);
    }
}
BENCHMARK(BM_CrossSection)->Unit(benchmark::kMillisecond);

void BM_TaskPage(benchmark::State& state)
{
    ModelDone();
    ModelInit();
    TReadReport r;
    if (!LoadIgcTrj(QStringLiteral(ZPH_TESTDATA "/igc/01lz1hq1.igc"), true, r)) {
        state.SkipWithError("no flight");
        return;
    }
    FindReachedTrn();
    MakeWaypoints();
    MakeZones();
    TPrintSettings s = PlanSettings(CtrLat, CtrLon, QStringLiteral("1/1000000"));
    s.PrnView = pvTask;
    TPageImage page;
    for (auto _ : state) {
        QPainter p(&page.Img);
        DrawPage(p, page.C, s);
    }
    state.counters["Cells"] = Stn ? Stn->Count : 0;
}
BENCHMARK(BM_TaskPage)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    ModelDone();
    return 0;
}
