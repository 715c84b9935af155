#pragma once
// The plan data of the printing benchmarks: a long trace, a large waypoint set, many zones and
// a big calibrated map around one centre.
#include "files/MapCal.h"
#include "model/Define.h"
#include "model/Options.h"
#include "model/Sector.h"
#include "model/Texts.h"
#include "print/PrintIni.h"

#include <QImage>
#include <cmath>

namespace {

constexpr int32 CtrLat = 4500000, CtrLon = 600000;

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
    for (TMapCalPoint& p : Map->Pos) p.Valid = true;
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

} // namespace
