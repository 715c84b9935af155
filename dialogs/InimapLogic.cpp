#include "dialogs/InimapLogic.h"

#include "files/MapCal.h"
#include "model/Calc.h"
#include "model/Texts.h"
#include "platform/Msg.h"
#include "platform/Numbers.h"

#include <QFileInfo>
#include <QPainter>
#include <algorithm>

namespace {

QString Tx(const char* Fr, const char* En)
{
    return QString::fromUtf8(Language == 1 && En ? En : Fr);
}

} // namespace

TMapRegion MapRegionAt(int32 x, int32 y, int32 W, int32 H)
{
    TMapRegion r;
    if (W <= 0 || H <= 0) return r;
    const int64_t cx = std::clamp<int64_t>(x, 0, W - 1), cy = std::clamp<int64_t>(y, 0, H - 1);
    r.RefIdx = uint8(2 * cx / W + 2 * (2 * cy / H));
    r.ParallelIdx = uint8(3 * cx / W);
    r.MeridianIdx = uint8(3 * cy / H);
    return r;
}

QString IniMapAreaText(TCurvMode Mode, const TMapRegion& R)
{
    static const char* const Par[3][2] = {{"Secteur gauche du parallèle", "Left area of parallel line"},
                                          {"Secteur central du parallèle", "Central area of parralel line"},
                                          {"Secteur droit du parallèle", "Right area of parallel line"}};
    static const char* const Mer[3][2] = {{"Secteur haut du méridien", "Upper area of meridian line"},
                                          {"Secteur central du méridien", "Central area of meridian line"},
                                          {"Secteur bas du méridien", "Lower area of meridian line"}};
    static const char* const Ref[4][2] = {{"Secteur en haut à gauche", "Left upper area"},
                                          {"Secteur en haut à droite", "Right upper area"},
                                          {"Secteur en bas à gauche", "Left lower area"},
                                          {"Secteur en bas à droite", "Right lower area"}};
    switch (Mode) {
    case TCurvMode::Parallels:
        return Tx(Par[std::min<int>(R.ParallelIdx, 2)][0], Par[std::min<int>(R.ParallelIdx, 2)][1]);
    case TCurvMode::Meridians:
        return Tx(Mer[std::min<int>(R.MeridianIdx, 2)][0], Mer[std::min<int>(R.MeridianIdx, 2)][1]);
    case TCurvMode::None:
        break;
    }
    const int k = std::min<int>(R.RefIdx, 3);
    return Tx(Ref[k][0], Ref[k][1]);
}

QString IniMapPosText(int32 Lat, int32 Lon, bool Utm)
{
    if (!Utm) return LatiToStr(Lat) + QStringLiteral(" , ") + LongToStr(Lon);
    QString zone;
    int32 north = 0, east = 0;
    LatLonToUtm(Lat, Lon, zone, north, east);
    return zone + QStringLiteral(" , ") + QString::number(north) + QStringLiteral(" , ") +
           QString::number(east);
}

QString IniMapCaption(const QString& ImagePath, TMap& M, TCurvMode Mode, int32 x, int32 y, bool Utm)
{
    const TMapRegion r = MapRegionAt(x, y, M.Image.width(), M.Image.height());
    QString s = QFileInfo(ImagePath).fileName() + QStringLiteral(" - ") + IniMapAreaText(Mode, r) +
                QStringLiteral(" - ") + QString::number(x) + QStringLiteral(" , ") + QString::number(y) +
                QStringLiteral(" - ");
    int32 lat = 0, lon = 0;
    if (IniMapPixelToPos(M, x, y, true, lat, lon))
        s += IniMapPosText(lat, lon, Utm);
    else
        s += QStringLiteral(" - ??? , ???");
    return s;
}

QString IniMapStatus(const TMap& M, TCurvMode Mode, const TMapRegion& R, bool Utm)
{
    if (Mode == TCurvMode::Parallels)
        return Tx("Cliquer sur 3 points d'un même parallèle, les plus espacés possible.",
                  "Click on 3 points of a seam parallel line. Each point must be as distant as possible from "
                  "others.");
    if (Mode == TCurvMode::Meridians)
        return Tx("Cliquer sur 3 points d'un même méridien, les plus espacés possible.",
                  "Click on 3 points of a seam meridian line. Each point must be as distant as possible from "
                  "others.");
    const QString area = IniMapAreaText(Mode, R);
    const TMapCalPoint& p = M.Pos[std::min<int>(R.RefIdx, 3)];
    if (!p.Valid) return area + Tx(" : non défini.", " : not defined.");
    return Tx("Définition du ", "Setting of ") + area + QStringLiteral(" : ") + QString::number(p.X) +
           QStringLiteral(" , ") + QString::number(p.Y) + QStringLiteral(" - ") +
           IniMapPosText(p.Lati, p.Long, Utm);
}

QString IniMapPointState(bool Defined)
{
    return Defined ? QStringLiteral("OK") : Tx("non OK", "not OK");
}

QString IniMapCurveState(bool Straight)
{
    return Straight ? Tx("Droite", "Straight") : Tx("Courbe", "Curve");
}

// ---- Capture ------------------------------------------------------------------------------------

bool TCurvCapture::AllPointsDefined(const TMap& M)
{
    return std::all_of(M.Pos.begin(), M.Pos.end(), [](const TMapCalPoint& p) { return p.Valid; });
}

bool TCurvCapture::ButtonEnabled(TCurvMode Button, const TMap& M) const
{
    return AllPointsDefined(M) && (Mode == TCurvMode::None || Mode == Button);
}

void TCurvCapture::Clear()
{
    Pts = {};
}

int TCurvCapture::CapturedCount() const
{
    return int(std::count_if(Pts.begin(), Pts.end(), [](const TMapCalPoint& p) { return p.Valid; }));
}

void TCurvCapture::Toggle(TCurvMode Button, TMap& M)
{
    if (Button == TCurvMode::None) return;
    if (Mode == TCurvMode::None) {
        if (!ButtonEnabled(Button, M)) return;
        Mode = Button;
        Clear();
        return;
    }
    if (Mode == Button) Finish(M);
}

bool TCurvCapture::Finish(TMap& M)
{
    if (Mode == TCurvMode::None) return true;
    const bool parallels = Mode == TCurvMode::Parallels;
    if (CapturedCount() == 3) {
        const bool ok = parallels ? MapCurvParallels(M, Pts) : MapCurvMeridians(M, Pts);
        if (!ok)
            MessageDlg(
                Tx("Les 3 points ne permettent pas de calculer la courbure.\rL'ancienne définition est "
                   "conservée.",
                   "The curvature cannot be computed from these 3 points.\rThe old definition is kept."),
                TMsgType::Warning, mbOK);
        Abandon();
        return true;
    }
    const QString question =
        parallels
            ? Tx("Les 3 points du parallèle ne sont pas définis.\rConsidérer les parallèles comme des "
                 "droites "
                 "? (=Oui)\r(Continuer la définition = Non, Garder l'ancienne définition = Annuler)",
                 "The 3 points of parallel line aren't define.\rConsider the parallel lines as straight ? "
                 "(=Yes)\r(Continue to define = No, Keep old definition = Cancel)")
            : QStringLiteral(
                  "Les 3 points du méridien ne sont pas définis.\rConsidérer les méridiens comme des "
                  "droites ? (=Oui)\r(Continuer la définition = Non, Garder l'ancienne définition = "
                  "Annuler)");
    switch (MessageDlg(question, TMsgType::Confirmation, mbYes | mbNo | mbCancel)) {
    case mrYes:
        if (parallels)
            M.aLati = M.aY = 0;
        else
            M.aLong = M.aX = 0;
        break;
    case mrNo:
        return false;
    default:
        break;
    }
    Abandon();
    return true;
}

void TCurvCapture::Abandon()
{
    Mode = TCurvMode::None;
    Clear();
}

bool TCurvCapture::Click(TMap& M, const TMapRegion& R, int32 x, int32 y)
{
    if (Mode == TCurvMode::None) return false;
    int32 lat = 0, lon = 0;
    if (!IniMapPixelToPos(M, x, y, false, lat, lon)) return false;
    Pts[Mode == TCurvMode::Parallels ? R.ParallelIdx : R.MeridianIdx] = {x, y, lat, lon, true};
    return true;
}

// ---- Drawing ------------------------------------------------------------------------------------

QRect IniMapBand(TCurvMode Mode, int k, int32 W, int32 H)
{
    if (Mode == TCurvMode::Parallels) {
        const int a = Round(double(W) * k / 3), b = Round(double(W) * (k + 1) / 3);
        return QRect(a, 0, b - a, H);
    }
    if (Mode == TCurvMode::Meridians) {
        const int a = Round(double(H) * k / 3), b = Round(double(H) * (k + 1) / 3);
        return QRect(0, a, W, b - a);
    }
    return QRect();
}

void PaintIniMapMarks(QPainter& P, const TMap& M, const TCurvCapture& C, int32 W, int32 H)
{
    P.save();
    P.setRenderHint(QPainter::Antialiasing, false);
    P.setCompositionMode(QPainter::CompositionMode_Difference);
    P.setPen(Qt::NoPen);
    P.setBrush(Qt::white);
    const auto disc = [&P](int32 x, int32 y) { P.drawEllipse(QRect(x - 10, y - 10, 20, 20)); };
    if (C.Mode != TCurvMode::None) {
        for (int k = 0; k < 3; ++k) {
            if (!C.Pts[k].Valid) continue;
            P.fillRect(IniMapBand(C.Mode, k, W, H), Qt::white);
            disc(C.Pts[k].X, C.Pts[k].Y);
        }
    } else {
        for (const TMapCalPoint& p : M.Pos)
            if (p.Valid) disc(p.X, p.Y);
    }
    P.restore();
}

QRect IniMapIconSquare(int k)
{
    return QRect(0, 32 * k, 25, 25);
}

QRect IniMapIconQuarter(int k)
{
    return QRect((13 * k) % 26, 32 * k + 13 * (k / 2), 12, 12);
}

void PaintIniMapIcons(QPainter& P, const TMap& M, const QColor& Panel)
{
    P.save();
    P.setRenderHint(QPainter::Antialiasing, false);
    for (int k = 0; k < 4; ++k) {
        const QRect sq = IniMapIconSquare(k);
        P.fillRect(sq, Panel);
        P.setPen(Qt::black);
        P.setBrush(Qt::NoBrush);
        P.drawRect(sq.adjusted(0, 0, -1, -1));
        P.fillRect(IniMapIconQuarter(k), M.Pos[k].Valid ? QColor(Qt::black) : QColor(Qt::red));
    }
    P.restore();
}
