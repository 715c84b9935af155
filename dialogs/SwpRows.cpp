// The rows of the waypoint-set grid without a window.
#include "dialogs/SwpRows.h"

#include "model/Calc.h"
#include "model/Options.h"
#include "model/Texts.h"
#include "platform/Numbers.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace {

constexpr double FootM = 0.3048;
constexpr double EarthKm = 6371.0;

bool FeetOpt()
{
    return Opt && Opt->UniteAltitude == 1;
}

QString Cut(const QString& s, int n)
{
    return s.size() > n ? s.left(n) : s;
}

bool Edited(const TSwpRow& R, int Col)
{
    return R.Fresh || (R.Edited & (1u << Col));
}

// Great-circle distance of the grid's ordering, with the cosine kept in range: rounding can
// push it past 1 for close points, where acos gives no number.
double SphereKm(double latA, double lonA, double latB, double lonB)
{
    const double c =
        std::sin(latA) * std::sin(latB) + std::cos(latA) * std::cos(latB) * std::cos(lonA - lonB);
    return std::acos(std::clamp(c, -1.0, 1.0)) * EarthKm;
}

// A k-d tree over unit vectors whose points can be taken out; the chord between two unit
// vectors grows with their angle, so boxes bound the sphere distance from below.
class TNearTree
{
public:
    struct Pt
    {
        double v[3];
        double lat, lon;
        uint32_t idx; // the row, which also breaks ties
    };

    explicit TNearTree(std::vector<Pt> pts) : fPts(std::move(pts))
    {
        fAlive.assign(fPts.size(), 1);
        fNodes.reserve(2 * fPts.size() / Leaf + 2);
        if (!fPts.empty()) Build(0, fPts.size());
        // Rows without a readable position have no point: the map goes by row number.
        uint32_t rows = 0;
        for (const Pt& p : fPts) rows = std::max(rows, p.idx + 1);
        fWhere.assign(rows, 0);
        for (uint32_t i = 0; i < fPts.size(); ++i) fWhere[fPts[i].idx] = i;
    }

    void Remove(uint32_t row)
    {
        const uint32_t p = fWhere[row];
        fAlive[p] = 0;
        for (int n = fLeafOf[p]; n >= 0; n = fNodes[n].parent) --fNodes[n].alive;
    }

    // The nearest live point to q: smallest sphere distance, then smallest row.
    int Nearest(const Pt& q) const
    {
        fBest = -1;
        fBestD = 1e300;
        if (!fNodes.empty()) Search(0, q);
        return fBest;
    }

private:
    static constexpr size_t Leaf = 8;
    struct Node
    {
        double lo[3], hi[3];
        size_t from, to;
        int left = -1, right = -1, parent = -1;
        int alive = 0;
    };

    int Build(size_t from, size_t to, int parent = -1)
    {
        const int id = int(fNodes.size());
        fNodes.push_back({});
        Node n;
        n.from = from;
        n.to = to;
        n.parent = parent;
        n.alive = int(to - from);
        for (int k = 0; k < 3; ++k) {
            n.lo[k] = 1e9;
            n.hi[k] = -1e9;
        }
        for (size_t i = from; i < to; ++i)
            for (int k = 0; k < 3; ++k) {
                n.lo[k] = std::min(n.lo[k], fPts[i].v[k]);
                n.hi[k] = std::max(n.hi[k], fPts[i].v[k]);
            }
        fNodes[id] = n;
        if (to - from > Leaf) {
            int axis = 0;
            for (int k = 1; k < 3; ++k)
                if (n.hi[k] - n.lo[k] > n.hi[axis] - n.lo[axis]) axis = k;
            const size_t mid = (from + to) / 2;
            std::nth_element(fPts.begin() + from, fPts.begin() + mid, fPts.begin() + to,
                             [axis](const Pt& a, const Pt& b) { return a.v[axis] < b.v[axis]; });
            const int l = Build(from, mid, id);
            const int r = Build(mid, to, id);
            fNodes[id].left = l;
            fNodes[id].right = r;
        } else {
            if (fLeafOf.size() < fPts.size()) fLeafOf.resize(fPts.size(), -1);
            for (size_t i = from; i < to; ++i) fLeafOf[i] = id;
        }
        return id;
    }

    static double BoxChord2(const Node& n, const Pt& q)
    {
        double d2 = 0;
        for (int k = 0; k < 3; ++k) {
            const double d = q.v[k] < n.lo[k] ? n.lo[k] - q.v[k] : (q.v[k] > n.hi[k] ? q.v[k] - n.hi[k] : 0);
            d2 += d * d;
        }
        return d2;
    }

    void Search(int id, const Pt& q) const
    {
        const Node& n = fNodes[id];
        if (n.alive == 0) return;
        if (fBest >= 0) {
            // The chord of the best angle, with a margin for the rounding of both formulas.
            const double chord = 2 * std::sin(std::min(fBestD / EarthKm, M_PI) / 2) + 1e-9;
            if (BoxChord2(n, q) > chord * chord) return;
        }
        if (n.left < 0) {
            for (size_t i = n.from; i < n.to; ++i) {
                if (!fAlive[i]) continue;
                const Pt& p = fPts[i];
                const double d = SphereKm(q.lat, q.lon, p.lat, p.lon);
                if (fBest < 0 || d < fBestD || (d == fBestD && p.idx < fPts[fBestPos].idx)) {
                    fBest = int(p.idx);
                    fBestPos = i;
                    fBestD = d;
                }
            }
            return;
        }
        const int first = BoxChord2(fNodes[n.left], q) <= BoxChord2(fNodes[n.right], q) ? n.left : n.right;
        Search(first, q);
        Search(first == n.left ? n.right : n.left, q);
    }

    std::vector<Pt> fPts;
    std::vector<Node> fNodes;
    std::vector<int> fLeafOf;
    std::vector<uint32_t> fWhere;
    std::vector<uint8_t> fAlive;
    mutable int fBest = -1;
    mutable size_t fBestPos = 0;
    mutable double fBestD = 0;
};

} // namespace

QString SwpAltText(int32 AltM, bool Feet)
{
    const int64_t v = Feet ? int64_t(Round(AltM / FootM / 10.0)) * 10 : AltM;
    const int width = Feet ? 5 : 4;
    QString digits = QString::number(std::llabs(v));
    if (v < 0)
        digits = QLatin1Char('-') + digits.rightJustified(width - 1, QLatin1Char('0'));
    else
        digits = digits.rightJustified(width, QLatin1Char('0'));
    return digits + (Feet ? QStringLiteral(" Ft") : QStringLiteral(" m"));
}

bool SwpParseAlt(const QString& Text, bool Feet, int32& AltM)
{
    QString t = Text.trimmed();
    const qsizetype blank = t.indexOf(QLatin1Char(' '));
    if (blank >= 0) t = t.left(blank);
    if (t.isEmpty()) {
        AltM = 0;
        return true;
    }
    for (qsizetype i = 0; i < t.size(); ++i)
        if (!(t[i].isDigit() && t[i].unicode() < 128) && !(i == 0 && (t[i] == u'-' || t[i] == u'+')))
            return false;
    const auto v = StrToIntC(t);
    if (!v || std::llabs(*v) > 100000000) return false;
    AltM = Feet ? Round(double(*v) * FootM) : int32(*v);
    return true;
}

TSwpRow SwpRowFromWpt(const TWpt& W)
{
    TSwpRow R;
    R.Wpt = W;
    R.Wpt.Rep = false;
    R.Marked = W.Rep;
    R.Source = &W;
    R.Text[scName] = W.Name;
    R.Text[scLat] = LatiToStr(W.Lat);
    R.Text[scLon] = LongToStr(W.Lon);
    R.Text[scAlt] = SwpAltText(W.Alt, FeetOpt());
    R.Text[scType] = WptAttrToStr(W.Attr);
    R.Text[scComment] = W.Comment;
    return R;
}

TSwpRow SwpEmptyRow()
{
    TSwpRow R;
    R.Fresh = true;
    return R;
}

QString SwpFilterCell(int Col, const QString& Typed, const QString& Saved)
{
    if (Col == scLat || Col == scLon) {
        if (Typed.isEmpty()) return Typed;
        const QChar c = Typed[0];
        const QString hemis = Col == scLat ? QStringLiteral("NSns") : QStringLiteral("EWew");
        if (c == u' ' || (c >= u'0' && c <= u'9') || hemis.contains(c)) return Typed;
        const QString first = Saved.isEmpty() ? QString() : Saved.left(1);
        return first + Typed.mid(1, Col == scLat ? 9 : 10);
    }
    if (Col == scType) {
        QString out;
        for (QChar c : Typed)
            if (QStringView(u"AFHLRST").contains(c.toUpper())) out += c;
        return out;
    }
    return Typed;
}

bool SwpRowPos(const TSwpRow& R, TPos& P)
{
    P = R.Wpt;
    if (Edited(R, scLat) && !ParseLat(R.Text[scLat], P.Lat)) return false;
    if (Edited(R, scLon) && !ParseLon(R.Text[scLon], P.Lon)) return false;
    return true;
}

bool SwpRowToWpt(const TSwpRow& R, bool Feet, TWptBase& W)
{
    W = R.Wpt;
    W.Rep = R.Marked;
    if (Edited(R, scName)) W.Name = Cut(R.Text[scName], WptNameLen);
    TPos p;
    if (!SwpRowPos(R, p)) return false;
    W.Lat = p.Lat;
    W.Lon = p.Lon;
    if (Edited(R, scAlt) && !SwpParseAlt(R.Text[scAlt], Feet, W.Alt)) return false;
    if (Edited(R, scType)) W.Attr = StrToWptAttr(R.Text[scType]);
    if (Edited(R, scComment)) W.Comment = Cut(R.Text[scComment], WptCommentLen);
    return true;
}

std::vector<uint32_t> SwpNearestOrder(const std::vector<TSwpRow>& Rows)
{
    std::vector<uint32_t> order;
    order.reserve(Rows.size());
    std::vector<TNearTree::Pt> pts;
    std::vector<uint32_t> unreadable;
    std::vector<int> ptOf(Rows.size(), -1);
    for (uint32_t i = 0; i < Rows.size(); ++i) {
        TPos p;
        if (!SwpRowPos(Rows[i], p)) {
            unreadable.push_back(i);
            continue;
        }
        const double la = IntDegToRad(p.Lat), lo = IntDegToRad(p.Lon);
        ptOf[i] = int(pts.size());
        pts.push_back({{std::cos(la) * std::cos(lo), std::cos(la) * std::sin(lo), std::sin(la)}, la, lo, i});
    }
    const std::vector<TNearTree::Pt> byRow = pts;
    TNearTree tree(std::move(pts));
    if (!byRow.empty()) {
        // The first row stays first when it reads; otherwise the first row that does.
        uint32_t cur = byRow.front().idx;
        for (size_t n = 0; n < byRow.size(); ++n) {
            order.push_back(cur);
            tree.Remove(cur);
            if (n + 1 == byRow.size()) break;
            cur = uint32_t(tree.Nearest(byRow[size_t(ptOf[cur])]));
        }
    }
    order.insert(order.end(), unreadable.begin(), unreadable.end());
    return order;
}

int SwpCarriedCount(const TSwp* Old, bool MarkedOnly)
{
    if (!Old || !MarkedOnly) return 0;
    int n = 0;
    for (const TWpt* W = Old->First; W; W = W->Next) n += W->Rep ? 0 : 1;
    return n;
}

TSwpRebuild SwpRebuild(const std::vector<TSwpRow>& Rows, const TSwp* Old, bool MarkedOnly, int SelRow,
                       bool Changed)
{
    TSwpRebuild out;
    out.Set = std::make_unique<TSwp>();
    TSwp& S = *out.Set;
    S.ResetBounds();
    if (Old) S.FileName = Old->FileName;
    const bool feet = FeetOpt();
    auto w = std::make_unique<TWpt>();
    for (int i = 0; i < int(Rows.size()); ++i) {
        TWptBase b;
        if (!SwpRowToWpt(Rows[size_t(i)], feet, b)) {
            ++out.Rejected;
            continue;
        }
        static_cast<TWptBase&>(*w) = b;
        TWpt* added = w.get();
        if (!S.AddWpt(w)) break;
        if (i == SelRow) S.SelWpt = added;
    }
    if (Old && MarkedOnly)
        for (const TWpt* W = Old->First; W; W = W->Next) {
            if (W->Rep) continue;
            static_cast<TWptBase&>(*w) = *W;
            if (!S.AddWpt(w)) break;
        }
    S.Modified = (Old && Old->Modified) || Changed;
    return out;
}
