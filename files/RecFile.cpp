// Opening and saving traces, waypoint sets, tasks and airspace zones.
#include "files/RecFile.h"

#include "files/IgcFile.h"
#include "files/OpenAir.h"
#include "files/TrjFormats.h"
#include "files/WptFormats.h"
#include "files/ZphFile.h"
#include "model/ModelUi.h"
#include "model/Options.h"
#include "model/Sector.h"
#include "platform/Msg.h"

#include <QFileInfo>
#include <algorithm>
#include <vector>

namespace {

TFileDialogHook gDialogHook;

bool RunDialog(TFileKind Kind, TFileChoice& Choice)
{
    if (!gDialogHook) return false;
    return gDialogHook(Kind, Choice) && !Choice.Files.isEmpty() && !Choice.Files.first().isEmpty();
}

QString Title(const QString& FileName)
{
    return QFileInfo(FileName).fileName();
}

void ShowError(const QString& Text)
{
    MessageDlg(Text, TMsgType::Error, mbOK);
}

void UnknownType()
{
    MessageDlg(Tr(QStringLiteral("Type de fichier inconnu."), QStringLiteral("Unknown file type.")),
               TMsgType::Warning, mbOK);
}

void ReportRejected(const QString& FileName, const TReadReport& R)
{
    QStringList lines;
    if (R.Rejected > 0)
        lines << Tr(QStringLiteral("%1 : %2 enregistrements rejetés."),
                    QStringLiteral("%1: %2 records rejected."))
                     .arg(Title(FileName))
                     .arg(R.Rejected);
    if (R.Retimed > 0)
        lines
            << Tr(QStringLiteral(
                      "%1 : %2 points dont l'heure n'avance pas, placés une seconde après le précédent."),
                  QStringLiteral(
                      "%1: %2 fixes whose time does not advance, placed one second after the previous one."))
                   .arg(Title(FileName))
                   .arg(R.Retimed);
    if (lines.isEmpty()) return;
    MessageDlg(lines.join(u'\r'), TMsgType::Information, mbOK);
}

// A failure of a reader: its own text, else "nothing valid".
void ReportReadFailure(const QString& FileName, const TReadReport& R)
{
    if (!R.Error.isEmpty())
        ShowError(R.Error);
    else
        ShowError(Tr(QStringLiteral("Aucun enregistrement valide dans le fichier %1."),
                     QStringLiteral("No valid record in the file %1."))
                      .arg(Title(FileName)));
}

// Asks the association of the task's turn points with the reached points of the current trace.
void AskAssociation()
{
    if (!Trj || !Stn || Stn->Count == 0 || !TaskNeedsAssociation(*Stn)) return;
    if (Opt->AssocAuto == 1) return;
    if (Opt->AssocAuto == 2) {
        AssocieAuto();
        return;
    }
    const int a = MessageDlg(
        QStringLiteral(
            "Des points de virage du circuit\rne sont pas associés à des points de virages réalisés.\r"
            "Effectuer une association automatique ?\r(Ignorer = Jamais, Tout = Toujours)"),
        TMsgType::Confirmation, mbYes | mbNo | mbIgnore | mbAll);
    switch (a) {
    case mrYes:
        AssocieAuto();
        break;
    case mrIgnore:
        Opt->AssocAuto = 1;
        break;
    case mrAll:
        Opt->AssocAuto = 2;
        AssocieAuto();
        break;
    default:
        break;
    }
}

enum class TTrjReader
{
    Unknown,
    Zph,
    Igc,
    Gpx,
    Kml,
    Nmea,
    Dat
};

TTrjReader TrjReaderOf(const QString& Ext)
{
    if (Ext == QLatin1String("ZPH")) return TTrjReader::Zph;
    if (Ext == QLatin1String("IGC") || Ext == QLatin1String("GPS")) return TTrjReader::Igc;
    if (Ext == QLatin1String("GPX")) return TTrjReader::Gpx;
    if (Ext == QLatin1String("KML")) return TTrjReader::Kml;
    if (Ext == QLatin1String("NMEA") || Ext == QLatin1String("RMC")) return TTrjReader::Nmea;
    if (Ext == QLatin1String("DAT")) return TTrjReader::Dat;
    return TTrjReader::Unknown;
}

// Copies the waypoints of From to the end of To (To keeps its own).
void AppendWpts(TSwp& To, const TSwp& From)
{
    for (const TWpt* P = From.First; P; P = P->Next) {
        auto W = std::make_unique<TWpt>();
        static_cast<TWptBase&>(*W) = static_cast<const TWptBase&>(*P);
        if (!To.AddWpt(W)) break;
    }
}

// Replaces the waypoint set by one read from a file.
void InstallSwp(std::unique_ptr<TSwp> S, const QString& FileName)
{
    S->FileName = FileName;
    S->Modified = false;
    SetSwp(std::move(S));
    Opt->FichWayPoints = FileName;
}

bool IsZph(const QString& FileName)
{
    return UpperExt(FileName) == QLatin1String("ZPH");
}

// The name proposed by a save dialog: the object's own file with the extension ".ZPH".
QString ProposedZph(const QString& FileName, const QString& Fallback)
{
    const QString f = FileName.isEmpty() ? Fallback : FileName;
    if (f.isEmpty()) return f;
    const QFileInfo fi(f);
    if (fi.suffix().isEmpty()) return f;
    return f.left(f.size() - fi.suffix().size()) + QStringLiteral("ZPH");
}

} // namespace

bool AskFileNames(TFileKind Kind, TFileChoice& Choice)
{
    return RunDialog(Kind, Choice);
}

void SetFileDialogHook(TFileDialogHook Hook)
{
    gDialogHook = std::move(Hook);
}

QString WithSaveExt(const QString& FileName, const QString& SaveExt)
{
    if (SaveExt.isEmpty() || SaveExt == QLatin1String(".")) return FileName;
    const QString want = SaveExt.startsWith(u'.') ? SaveExt.mid(1) : SaveExt;
    if (UpperExt(FileName) == want.toUpper()) return FileName;
    return FileName + (SaveExt.startsWith(u'.') ? SaveExt : QStringLiteral(".") + SaveExt);
}

// ---- Opening ------------------------------------------------------------------------------------

namespace {
TFlightChoiceHook FlightChoiceHook;

// The traces of the chain that are not in Before, in chain order.
std::vector<TTrj*> NewTraces(const std::vector<TTrj*>& Before)
{
    std::vector<TTrj*> made;
    for (TTrj* T = FirstTrj; T; T = T->NextTrj)
        if (std::find(Before.begin(), Before.end(), T) == Before.end()) made.push_back(T);
    return made;
}

// A file that gave several flights: the user keeps one, all or none of them.
void ChooseAmongFlights(const QString& FileName, const std::vector<TTrj*>& Made, TReadReport& R)
{
    if (Made.size() < 2 || !FlightChoiceHook) return;
    QStringList names;
    for (const TTrj* T : Made) names << (T->Name.isEmpty() ? QFileInfo(FileName).fileName() : T->Name);
    int index = 0;
    const int answer = FlightChoiceHook(FileName, names, index);
    if (answer == mrAll) return;
    for (size_t i = 0; i < Made.size(); ++i) {
        if (answer == mrOk && int(i) == index) continue;
        CloseTrj(Made[i]);
        --R.Traces;
    }
    if (answer == mrOk && index >= 0 && size_t(index) < Made.size()) SetCurrentTrj(Made[size_t(index)]);
}
} // namespace

void SetFlightChoiceHook(TFlightChoiceHook Hook)
{
    FlightChoiceHook = std::move(Hook);
}

int OpenTrjFiles(const QString& FileName, int WithTask)
{
    QStringList files;
    if (FileName.isEmpty()) {
        TFileChoice c;
        c.Files = QStringList{Opt->FichTrajectoire};
        if (!RunDialog(fkOpenTrj, c)) return 0;
        files = c.Files;
    } else {
        files = QStringList{FileName};
    }
    int opened = 0;
    bool any = false;
    for (const QString& f : files) {
        if (f.isEmpty()) continue;
        ShowStatus(QStringLiteral("Ouverture du fichier trajectoire ") + f);
        const TTrjReader kind = TrjReaderOf(UpperExt(f));
        if (kind == TTrjReader::Unknown) {
            UnknownType();
            continue;
        }
        TReadReport R;
        std::unique_ptr<TSwp> carried;
        std::vector<TTrj*> before;
        for (TTrj* T = FirstTrj; T; T = T->NextTrj) before.push_back(T);
        bool ok = false;
        switch (kind) {
        case TTrjReader::Zph:
            ok = LoadZphTrj(f, WithTask != 0, R, WithTask != 0 ? &carried : nullptr);
            break;
        case TTrjReader::Igc:
            ok = LoadIgcTrj(f, WithTask != 0, R);
            break;
        case TTrjReader::Gpx:
            ok = LoadGpxTrj(f, R);
            break;
        case TTrjReader::Kml:
            ok = LoadKmlTrj(f, R);
            break;
        case TTrjReader::Nmea:
            ok = LoadNmeaTrj(f, R);
            break;
        case TTrjReader::Dat:
            ok = LoadDatTrj(f, R);
            break;
        case TTrjReader::Unknown:
            break;
        }
        if (!ok || R.Fixes == 0) {
            ReportReadFailure(f, R);
            ReportRejected(f, R);
            continue;
        }
        ReportRejected(f, R);
        ChooseAmongFlights(f, NewTraces(before), R);
        if (R.Traces <= 0) continue;
        any = true;
        opened += R.Traces;
        if (Trj && Trj->FileName.isEmpty()) Trj->FileName = f;
        Opt->FichTrajectoire = f;
        // Waypoints saved with the trace replace the open set, when the user lets it go.
        if (carried && AskSaveSwp()) {
            InstallSwp(std::move(carried), f);
            NotifyModelChanged();
        }
        AskAssociation();
    }
    ShowStatus(QString());
    if (any) RefreshViews();
    return opened;
}

bool OpenSwpFile(const QString& FileName, bool AddToOpened, bool* Cancelled)
{
    if (Cancelled) *Cancelled = false;
    QString name = FileName;
    if (name.isEmpty()) {
        TFileChoice c;
        c.Files = QStringList{Opt->FichWayPoints};
        c.AddToOpened = AddToOpened;
        if (!RunDialog(fkOpenWpt, c)) return false;
        name = c.Files.first();
        AddToOpened = c.AddToOpened;
    }
    TReadReport R;
    std::unique_ptr<TSwp> S;
    if (IsZph(name)) {
        S = ReadZphSwp(name, R);
    } else {
        S = ReadWptFile(name, R);
    }
    if (!S) {
        if (R.Error.isEmpty())
            UnknownType();
        else
            ShowError(R.Error);
        ReportRejected(name, R);
        return false;
    }
    ReportRejected(name, R);
    if (AddToOpened && Swp) {
        AppendWpts(*Swp, *S);
        Swp->Modified = true;
        NotifyModelChanged();
    } else {
        // The open set is replaced: its changes are offered for saving first (Cancel keeps it).
        if (!AskSaveSwp()) {
            if (Cancelled) *Cancelled = true;
            return false;
        }
        InstallSwp(std::move(S), name);
    }
    RefreshViews();
    return true;
}

bool OpenStnFile(const QString& FileName)
{
    QString name = FileName;
    if (name.isEmpty()) {
        TFileChoice c;
        c.Files = QStringList{Opt->FichCircuit};
        if (!RunDialog(fkOpenStn, c)) return false;
        name = c.Files.first();
    }
    if (!IsZph(name)) {
        UnknownType();
        return false;
    }
    if (!Trj || !Stn) {
        // The task belongs to a trace.
        ShowError(Tr(QStringLiteral("Aucune trajectoire n'est ouverte pour recevoir le circuit."),
                     QStringLiteral("No track is open to receive the task.")));
        return false;
    }
    if (!AskSaveStn()) return false;
    TReadReport R;
    if (!ReadZphStn(name, *Stn, R)) {
        ShowError(R.Error);
        return false;
    }
    ReportRejected(name, R);
    Trj->SelTrnIdx = -1;
    Opt->FichCircuit = name;
    NotifyModelChanged();
    RefreshViews();
    return true;
}

bool OpenSmpFile(const QString& FileName, int DefZoneType, bool AddToOpened)
{
    QString name = FileName;
    if (name.isEmpty()) {
        TFileChoice c;
        c.Files = QStringList{Opt->FichZones};
        c.DefZoneType = DefZoneType;
        c.AddToOpened = AddToOpened;
        if (!RunDialog(fkOpenSmp, c)) return false;
        name = c.Files.first();
        DefZoneType = c.DefZoneType;
        AddToOpened = c.AddToOpened;
    }
    const QString ext = UpperExt(name);
    // Zander (AZ) and SUA/AIR files are not read.
    if (ext == QLatin1String("AZ") || ext == QLatin1String("SUA") || ext == QLatin1String("AIR")) {
        UnknownType();
        return false;
    }
    TReadReport R;
    std::unique_ptr<TSmp> S = ReadOpenAirFile(name, DefZoneType, R);
    if (!S) {
        ReportReadFailure(name, R);
        return false;
    }
    ReportRejected(name, R);
    if (AddToOpened && Smp) {
        // Moves the zones over; the new set is left empty.
        TMpf* P = S->First;
        S->First = S->Last = S->Cur = nullptr;
        S->Count = 0;
        while (P) {
            TMpf* N = P->Next;
            P->Prev = P->Next = nullptr;
            std::unique_ptr<TMpf> M(P);
            Smp->AddMpf(M); // a zone refused (set full) is freed with M
            P = N;
        }
        NotifyModelChanged();
    } else {
        S->FileName = name;
        SetSmp(std::move(S));
    }
    Opt->FichZones = name;
    RefreshViews();
    return true;
}

// ---- Writers ------------------------------------------------------------------------------------

namespace {

QString UnknownTypeText()
{
    return Tr(QStringLiteral("Type de fichier inconnu."), QStringLiteral("Unknown file type."));
}

} // namespace

bool WriteTrjFile(const TTrj& T, const QString& FileName, bool IncludeTask, bool IncludeWpt, QString& Error)
{
    const QString ext = UpperExt(FileName);
    QByteArray bytes;
    if (ext == QLatin1String("ZPH")) {
        const TStn* task = IncludeTask && T.Stn && T.Stn->Count > 0 ? T.Stn.get() : nullptr;
        bytes = WriteZph(zcTrj, &T, task, IncludeWpt ? Swp : nullptr);
    } else if (ext == QLatin1String("IGC")) {
        bytes = WriteIgcTrj(T);
    } else if (ext == QLatin1String("KML")) {
        bytes = WriteKmlTrj(T);
    } else if (ext == QLatin1String("DAT")) {
        bytes = WriteDatTrj(T);
    } else {
        Error = UnknownTypeText();
        return false;
    }
    return SaveFileAtomic(FileName, bytes, Error);
}

bool WriteSwpFile(const TSwp& S, const QString& FileName, QString& Error)
{
    const QString ext = UpperExt(FileName);
    QByteArray bytes;
    if (ext == QLatin1String("ZPH")) {
        bytes = WriteZph(zcSwp, nullptr, nullptr, &S);
    } else if (ext == QLatin1String("WPT")) {
        bytes = WriteWptSwp(S);
    } else if (ext == QLatin1String("DAT")) {
        bytes = WriteDatSwp(S);
    } else if (ext == QLatin1String("WPZ")) {
        bytes = WriteWpzSwp(S);
    } else {
        Error = UnknownTypeText();
        return false;
    }
    return SaveFileAtomic(FileName, bytes, Error);
}

bool WriteStnFile(const TStn& Task, const QString& FileName, bool IncludeWpt, QString& Error)
{
    if (!IsZph(FileName)) {
        Error = UnknownTypeText();
        return false;
    }
    return SaveFileAtomic(FileName, WriteZph(zcStn, nullptr, &Task, IncludeWpt ? Swp : nullptr), Error);
}

// ---- Saving with the user -------------------------------------------------------------------------

bool SaveTrjFile(TTrj* T, const QString& FileName, bool IncludeTask, bool IncludeWpt)
{
    if (!T) return false;
    QString name = FileName;
    if (name.isEmpty()) {
        TFileChoice c;
        c.Files = QStringList{ProposedZph(T->FileName, Opt->FichTrajectoire)};
        c.IncludeTask = T->Stn && T->Stn->Count > 0;
        c.IncludeWpt = false;
        if (!RunDialog(fkSaveTrj, c)) return false;
        name = WithSaveExt(c.Files.first(), c.SaveExt);
        IncludeTask = c.IncludeTask;
        IncludeWpt = c.IncludeWpt;
    }
    QString err;
    if (!WriteTrjFile(*T, name, IncludeTask, IncludeWpt && Swp, err)) {
        ShowError(err);
        return false;
    }
    T->Modified = false;
    T->SaveState = 0;
    const QString ext = UpperExt(name);
    if (ext == QLatin1String("ZPH") || ext == QLatin1String("IGC")) T->FileName = name;
    if (IsZph(name) && IncludeTask && T->Stn) T->Stn->Modified = false;
    Opt->FichTrajectoire = name;
    return true;
}

bool SaveSwpFile(const QString& FileName)
{
    if (!Swp) return false;
    QString name = FileName;
    if (name.isEmpty()) {
        TFileChoice c;
        c.Files = QStringList{ProposedZph(Swp->FileName, Opt->FichWayPoints)};
        if (!RunDialog(fkSaveWpt, c)) return false;
        name = WithSaveExt(c.Files.first(), c.SaveExt);
    }
    QString err;
    if (!WriteSwpFile(*Swp, name, err)) {
        ShowError(err);
        return false;
    }
    Swp->Modified = false;
    Swp->FileName = name;
    Opt->FichWayPoints = name;
    return true;
}

bool SaveStnFile(const QString& FileName, bool IncludeWpt)
{
    if (!Stn) return false;
    QString name = FileName;
    if (name.isEmpty()) {
        TFileChoice c;
        c.Files = QStringList{ProposedZph(Stn->FileName, Opt->FichCircuit)};
        c.IncludeTask = true;
        c.IncludeWpt = false;
        if (!RunDialog(fkSaveStn, c)) return false;
        name = WithSaveExt(c.Files.first(), c.SaveExt);
        IncludeWpt = c.IncludeWpt;
    }
    QString err;
    if (!WriteStnFile(*Stn, name, IncludeWpt && Swp, err)) {
        ShowError(err);
        return false;
    }
    Stn->Modified = false;
    Stn->FileName = name;
    Opt->FichCircuit = name;
    return true;
}

// ---- Save questions -------------------------------------------------------------------------------

bool AskSaveTrj(TTrj* T)
{
    if (!T || (!T->Modified && T->SaveState == 0 && !(T->Stn && T->Stn->Modified))) return true;
    const QString name = T->Name.isEmpty() ? Title(T->FileName) : T->Name;
    const int a =
        MessageDlg(Tr(QStringLiteral("La trajectoire %1 a été modifiée.\rEnregistrer les modifications ?"),
                      QStringLiteral("The track %1 has been modified.\rSave the changes?"))
                       .arg(name),
                   TMsgType::Confirmation, mbYes | mbNo | mbCancel);
    if (a == mrNo) return true;
    if (a != mrYes) return false;
    // Only an own-format file is written over without asking where: a recorder's file keeps its
    // original.
    const bool withTask = T->Stn && T->Stn->Count > 0;
    return SaveTrjFile(T, IsZph(T->FileName) ? T->FileName : QString(), withTask, false);
}

bool AskSaveSwp()
{
    if (!Swp || !Swp->Modified) return true;
    const int a =
        MessageDlg(Tr(QStringLiteral("Les way-points ont été modifiés.\rEnregistrer les modifications ?"),
                      QStringLiteral("The waypoints have been modified.\rSave the changes?")),
                   TMsgType::Confirmation, mbYes | mbNo | mbCancel);
    if (a == mrNo) return true;
    if (a != mrYes) return false;
    return SaveSwpFile(IsZph(Swp->FileName) ? Swp->FileName : QString());
}

bool AskSaveStn()
{
    if (!Stn || !Stn->Modified || Stn->Count == 0) return true;
    const int a = MessageDlg(Tr(QStringLiteral("Le circuit a été modifié.\rEnregistrer les modifications ?"),
                                QStringLiteral("The task has been modified.\rSave the changes?")),
                             TMsgType::Confirmation, mbYes | mbNo | mbCancel);
    if (a == mrNo) return true;
    if (a != mrYes) return false;
    return SaveStnFile(IsZph(Stn->FileName) ? Stn->FileName : QString(), false);
}

void FreeSwp()
{
    FreeSwpObject();
}
