#include "devices/Download.h"

#include "files/RecFile.h"
#include "model/ModelUi.h"
#include "model/Options.h"
#include "platform/Msg.h"

#include <QDate>
#include <QFileInfo>
#include <cmath>

namespace {

// 1989-12-30 23:59:59: the time a point without time takes when it is the first of its track.
TDateTime NoTimeStart()
{
    return QDate(1899, 12, 30).daysTo(QDate(1989, 12, 30)) + 86399.0 / 86400.0;
}

bool DateOk(TDateTime T)
{
    static const TDateTime lo = QDate(1899, 12, 30).daysTo(QDate(1989, 12, 30));
    static const TDateTime hi = QDate(1899, 12, 30).daysTo(QDate(2050, 12, 31));
    return T >= lo && T <= hi;
}

} // namespace

// ---- TFlightSplitter -------------------------------------------------------------------------

TFlightSplitter::TFlightSplitter(const QString& Source, const TOptions& Options)
    : fSource(Source), fOpt(Options), fScratch(std::make_unique<TRec>())
{
}

TFlightSplitter::~TFlightSplitter() = default;

void TFlightSplitter::StartFlight()
{
    ++FlightCount;
    fTrj = NewTrj();
    fTrj->StartTime = 0;
    fTrj->EndTime = 0;
}

void TFlightSplitter::FinishFlight()
{
    if (!fTrj) return;
    TTrj* T = fTrj;
    fTrj = nullptr;
    if (Trj != T) SetCurrentTrj(T);
    if (Trj != T) return; // no longer open
    const bool empty = T->First == nullptr;
    TrjLoaded(); // closes an empty trace
    if (empty) {
        --FlightCount;
        return;
    }
    T->SaveState = 2;
}

void TFlightSplitter::TrackHeader()
{
    fTrackT = 0;
    if (!fOpt.SplitByFlag) return;
    FinishFlight();
    StartFlight();
}

bool TFlightSplitter::AddPoint(const TRec& Fix, TDateTime T, bool HasTime, bool NewTrackFlag)
{
    if (NewTrackFlag) fTrackT = 0;
    if (!HasTime) {
        ++NoTime;
        T = fTrackT != 0 ? fTrackT : NoTimeStart();
    }
    fLastT = T;
    const bool valid = DateOk(T);
    if (!fTrj) StartFlight();
    if (HasTime && fTrj->RecCount > 0) {
        const bool gap = fOpt.SplitByGap && T > fTrj->EndTime + fOpt.GapMinutes / 60.0 / 24.0;
        const bool flag = fOpt.SplitByFlag && NewTrackFlag;
        if (gap || flag) {
            FinishFlight();
            StartFlight();
        }
    }
    if (fTrj->StartTime == 0) {
        fTrj->Name = QDate(1899, 12, 30)
                         .addDays(static_cast<qint64>(std::floor(T)))
                         .toString(QStringLiteral("yyMMdd")) +
                     QStringLiteral(" - Vol N°") + QString::number(FlightCount);
        fTrj->StartTime = T;
        fTrj->Source = fSource;
    }
    if (valid) fTrackT = T;
    if (!valid) {
        ++Errors;
        return false;
    }
    *fScratch = TRec();
    fScratch->Lat = Fix.Lat;
    fScratch->Lon = Fix.Lon;
    fScratch->Alt = Fix.Alt;
    fScratch->AltGps = Fix.AltGps;
    fScratch->Time = static_cast<int32>(std::nearbyint((T - std::floor(T)) * TimeUnitsPerDay));
    if (!fTrj->AddRec(fScratch)) {
        ++Errors;
        return false;
    }
    fTrj->EndTime = T;
    return true;
}

void TFlightSplitter::Finish()
{
    FinishFlight();
    if (FlightCount > 0) {
        TrjMode = 1;
        WptMode = 0;
    }
}

// ---- TWptDownload ----------------------------------------------------------------------------

bool TWptDownload::Prepare(bool Interrupted)
{
    Added = 0;
    if (Interrupted && Swp && Swp->Count == 0) FreeSwp();
    if (!Swp) {
        NewSwp()->ResetBounds();
        Opt->FichWayPoints.clear();
        return true;
    }
    const int a = MessageDlg(
        Tr(QStringLiteral(
               "Ajouter les way-points du GPS aux way-points actuels ?\r(Non pour fermer le fichier actuel)"),
           QStringLiteral(
               "Add the waypoints of the GPS to the current waypoints?\r(No to close the current file)")),
        TMsgType::Confirmation, mbYes | mbNo);
    if (a == mrYes) return true;
    if (a != mrNo) return false;
    // The set is closed only once it is saved or the user let it go.
    if (!AskSaveSwp()) return false;
    FreeSwp();
    WptMode = 0;
    TrjMode = Trj ? 1 : 0;
    NewSwp()->ResetBounds();
    OldSwpFile = Opt->FichWayPoints;
    const QFileInfo fi(Opt->FichWayPoints);
    Opt->FichWayPoints = OldSwpFile.isEmpty() ? QString() : fi.path() + QLatin1Char('/');
    return true;
}

bool TWptDownload::Add(const TWptBase& W)
{
    if (!Swp) NewSwp()->ResetBounds();
    auto w = std::make_unique<TWpt>();
    static_cast<TWptBase&>(*w) = W;
    w->Prev = w->Next = nullptr;
    if (!Swp->AddWpt(w)) return false;
    ++Added;
    return true;
}

void TWptDownload::Complete()
{
    if (Swp && Added > 0) Swp->Modified = true;
    if (Swp && Swp->Count == 0) FreeSwp();
    if (Swp) {
        WptMode = 1;
        TrjMode = 0;
    }
    NotifyModelChanged();
}

void TWptDownload::Close()
{
    if (!Swp) {
        NewSwp()->ResetBounds();
        Opt->FichWayPoints.clear();
    }
    if (Swp->Count == 0 && QFileInfo(Opt->FichWayPoints).fileName().isEmpty() && !OldSwpFile.isEmpty())
        OpenSwpFile(OldSwpFile);
}

// ---- TRouteCollector -------------------------------------------------------------------------

void TRouteCollector::Begin(const QString& RteName, bool ByName)
{
    fName = RteName;
    fByName = ByName;
    fMatch = false;
    fPoints.clear();
}

void TRouteCollector::Header(const QString& NameOrNumber)
{
    if (fByName) {
        fMatch = NameOrNumber == fName;
        return;
    }
    bool ok = false;
    const int wanted = fName.trimmed().toInt(&ok);
    fMatch = NameOrNumber.toInt() == (ok ? wanted : 0);
}

void TRouteCollector::Point(const TWptBase& W)
{
    if (!fMatch) return;
    if (fPoints.size() >= static_cast<size_t>(MaxListCount)) return;
    fPoints.push_back(std::make_unique<TWptBase>(W));
}

bool TRouteCollector::Commit(TStn* Task)
{
    if (!Task || fPoints.empty()) return false;
    while (Task->First) Task->DeleteTrn(Task->First);
    TTrn t;
    for (const auto& p : fPoints) {
        static_cast<TWptBase&>(t) = *p;
        t.Reached = 0;
        Task->AddTrn(t, -1);
    }
    Task->Modified = true;
    NotifyModelChanged();
    return true;
}
