#include "devices/MlrZones.h"

#include "model/Calc.h"
#include "platform/Numbers.h"

#include <cmath>

namespace {

void Add(TSln& L, const TPos& P, bool& SegStart)
{
    TLin l;
    l.Lat = P.Lat;
    l.Lon = P.Lon;
    l.SegStart = SegStart;
    L.Points.push_back(l);
    SegStart = false;
}

void AddArc(TSln& L, const TDrd1& A, int N, bool& SegStart)
{
    const TPos& C = A.Centre;
    const TPos& S = A.StartPos;
    const TPos& E = A;
    Add(L, S, SegStart);
    const double d0 = Distance(C, S), d1 = Distance(C, E);
    double b0 = Bearing(C, S), b1 = Bearing(C, E);
    if (A.Radius > 0 && b1 < b0) b1 += 360;
    if (A.Radius < 0 && b0 < b1) b0 += 360;
    // At least one segment: the end vertex is part of the outline however short the arc.
    const int k = std::max(1, std::abs(Round(N * (b1 - b0) / 360.0)));
    for (int i = 1; i <= k; ++i) {
        const double b = (b1 - b0) * i / k + b0;
        const double d = (d1 - d0) * i / k + d0;
        Add(L, DestPoint(C, b, d), SegStart);
    }
}

} // namespace

bool PointInView(const TPos& P, const TMlrView& View)
{
    return View.South <= P.Lat && P.Lat <= View.North && View.West <= P.Lon && P.Lon <= View.East;
}

TSln MlrZonePoints(const TSmp& Smp, int N, const TMlrView* View)
{
    TSln L;
    N = std::clamp(N, 1, 360);
    for (const TMpf* z = Smp.First; z; z = z->Next) {
        bool seg = true;
        const size_t first = L.Points.size();
        bool circle = false;
        for (const TDrd* d = z->First; d; d = d->Next) {
            switch (d->Kind) {
            case dkArc:
                AddArc(L, static_cast<const TDrd1&>(*d), N, seg);
                break;
            case dkCircle: {
                circle = true;
                const double r = static_cast<const TDrd2&>(*d).Radius / 1000.0;
                for (int i = 0; i <= N; ++i) Add(L, DestPoint(*d, i * 360.0 / N, r), seg);
                break;
            }
            default:
                Add(L, *d, seg);
                break;
            }
        }
        // The plan view closes an outline of points and arcs; the receiver only draws lines.
        if (!circle && L.Points.size() > first + 1) {
            const TLin f = L.Points[first];
            const TLin& b = L.Points.back();
            if (f.Lat != b.Lat || f.Lon != b.Lon) Add(L, f, seg);
        }
    }
    const size_t n = L.Points.size();
    if (!View || n < 3) {
        L.NbSend = static_cast<uint32_t>(n);
        return L;
    }
    std::vector<char> in(n);
    for (size_t i = 0; i < n; ++i) in[i] = PointInView(L.Points[i], *View);
    L.NbSend = 0;
    for (size_t i = 0; i < n; ++i) {
        TLin& p = L.Points[i];
        const bool prev = i > 0 && in[i - 1];
        const bool next = i + 1 < n && in[i + 1];
        if (in[i] || prev || next) {
            ++L.NbSend;
        } else {
            p.Send = false;
        }
        if (!in[i] && i > 0 && i + 1 < n && !prev) p.SegStart = true;
    }
    return L;
}
