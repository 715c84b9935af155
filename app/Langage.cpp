// The texts of the windows and the sector edits.
#include "app/Langage.h"

#include "app/Main.h"
#include "app/Option.h"
#include "app/Text.h"
#include "devices/Garmin.h"
#include "platform/Msg.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLibraryInfo>
#include <QMenu>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTranslator>
#include <algorithm>
#include <vector>

QString UiText(const char* Fr, const char* En)
{
    const char* t = (Language == 1 && En) ? En : Fr;
    QString s = QString::fromUtf8(t ? t : "");
    s.replace(u'\r', u'\n');
    return s;
}

namespace {

QTabWidget* TabOf(QWidget* Page, int& Index)
{
    auto* stack = qobject_cast<QStackedWidget*>(Page->parentWidget());
    auto* tabs = stack ? qobject_cast<QTabWidget*>(stack->parentWidget()) : nullptr;
    Index = tabs ? tabs->indexOf(Page) : -1;
    return Index >= 0 ? tabs : nullptr;
}

void SetComboItems(QComboBox* C, const QString& Text)
{
    const QStringList items = Text.split(u'\n');
    if (C->count() == items.size()) {
        for (int i = 0; i < C->count(); ++i) C->setItemText(i, items.at(i));
        return;
    }
    const int cur = C->currentIndex();
    const QSignalBlocker block(C);
    C->clear();
    C->addItems(items);
    C->setCurrentIndex(std::min(cur, int(C->count()) - 1));
}

void ApplyToWidget(QWidget* W, bool IsRoot, bool HasText, const QString& Text, bool HasHint,
                   const QString& Hint)
{
    int tab = -1;
    if (IsRoot || W->isWindow()) {
        if (HasText) W->setWindowTitle(Text);
    } else if (QTabWidget* tabs = TabOf(W, tab)) {
        if (HasText) tabs->setTabText(tab, Text);
        if (HasHint) tabs->setTabToolTip(tab, Hint);
        return;
    } else if (HasText) {
        if (auto* b = qobject_cast<QAbstractButton*>(W))
            b->setText(Text);
        else if (auto* l = qobject_cast<QLabel*>(W))
            l->setText(Text);
        else if (auto* g = qobject_cast<QGroupBox*>(W))
            g->setTitle(Text);
        else if (auto* c = qobject_cast<QComboBox*>(W))
            SetComboItems(c, Text);
    }
    if (HasHint) W->setToolTip(Hint);
}

} // namespace

QStringList ApplyTexts(QObject* Root, const TUiText* Texts, std::size_t Count)
{
    QStringList missing;
    if (!Root) return missing;
    for (std::size_t i = 0; i < Count; ++i) {
        const TUiText& t = Texts[i];
        const bool isRoot = !t.Name || !*t.Name;
        QObject* o = isRoot ? Root : Root->findChild<QObject*>(QString::fromLatin1(t.Name));
        if (!o) {
            missing << QString::fromLatin1(t.Name);
            continue;
        }
        const bool hasText = t.Fr != nullptr, hasHint = t.HintFr != nullptr;
        const QString text = hasText ? UiText(t.Fr, t.En) : QString();
        const QString hint = hasHint ? UiText(t.HintFr, t.HintEn) : QString();
        if (auto* a = qobject_cast<QAction*>(o)) {
            if (hasText) a->setText(text);
            if (hasHint) {
                a->setToolTip(hint);
                a->setStatusTip(hint);
            }
        } else if (auto* m = qobject_cast<QMenu*>(o)) {
            if (hasText) m->setTitle(text);
        } else if (auto* w = qobject_cast<QWidget*>(o)) {
            ApplyToWidget(w, isRoot, hasText, text, hasHint, hint);
        }
    }
    return missing;
}

// ---- Main window -------------------------------------------------------------------------------

namespace {

const TUiText MainFormTexts[] = {
    {"", "Zephalon", "Zephalon"},
    {"FileMenu", "&Fichier", "&File"},
    {"OuvreTrj", "&Ouvrir trajectoire...", "&Open track...", "Ouvre un ou plusieurs fichiers trajectoire.",
     "Opens one or several track files."},
    {"EnregTrj", "&Enregistrer trajectoire...", "&Save track...", "Enregistre la trajectoire courante.",
     "Saves the current track."},
    {"FermeTrj", "&Fermer la trajectoire", "&Close the track", "Ferme la trajectoire courante.",
     "Closes the current track."},
    {"FermeTteTrj", "Fermer &toutes les trajectoires", "Close &all tracks",
     "Ferme toutes les trajectoires ouvertes.", "Closes every open track."},
    {"OuvreWpt", "Ouvrir &way-points...", "Open &waypoints...", "Ouvre un fichier de way-points.",
     "Opens a waypoints file."},
    {"EnregWpt", "Enregistrer wa&y-points...", "Save wa&ypoints...", "Enregistre les way-points.",
     "Saves the waypoints."},
    {"FermeWpt", "Fermer les way-&points", "Close the way&points", "Ferme le fichier de way-points.",
     "Closes the waypoints file."},
    {"OuvreCircuit", "Ouvrir &circuit...", "Open &task...", "Ouvre un circuit pour la trajectoire courante.",
     "Opens a task for the current track."},
    {"EnregCircuit", "Enregistrer c&ircuit...", "Save tas&k...",
     "Enregistre le circuit de la trajectoire courante.", "Saves the task of the current track."},
    {"OuvreZone", "Ouvrir &zones...", "Open air&space...", "Ouvre un fichier de zones aériennes.",
     "Opens an airspace file."},
    {"FermeZone", "Fermer les zo&nes", "Close the airspac&e", "Ferme les zones aériennes.",
     "Closes the airspace."},
    {"Quitter", "&Quitter", "E&xit", "Quitte Zephalon.", "Quits Zephalon."},
    {"ViewMenu", "&Affichage", "&View"},
    {"TrjModeAct", "Mode &trajectoire", "&Track mode",
     "Mode trajectoire : la souris et le clavier parcourent la trace.",
     "Track mode: mouse and keys walk through the track."},
    {"WptModeAct", "Mode &way-points", "&Waypoint mode",
     "Mode way-points : la souris choisit les way-points.", "Waypoint mode: the mouse picks waypoints."},
    {"TrjPrec", "Trajectoire &précédente", "&Previous track", "Passe à la trajectoire ouverte précédente.",
     "Goes to the previous open track."},
    {"TrjSuiv", "Trajectoire &suivante", "&Next track", "Passe à la trajectoire ouverte suivante.",
     "Goes to the next open track."},
    {"ZoomPlus", "Zoom &avant", "Zoom &in", "Agrandit la vue plan.", "Zooms the plan view in."},
    {"ZoomMoins", "Zoom a&rrière", "Zoom &out", "Réduit la vue plan.", "Zooms the plan view out."},
    {"Ajuste", "A&juster la vue", "&Fit the view",
     "Ajuste la vue plan à la trajectoire (Ctrl : à la carte, Maj : aux zones).",
     "Fits the plan view to the track (Ctrl: to the map, Shift: to the airspace)."},
    {"ArrangeViewsAct", "&Réorganiser les fenêtres", "&Arrange the windows",
     "Replace la vue plan, le profil et les calculs.",
     "Lays out the plan, the profile and the calculations again."},
    {"WebMapAct", "Carte &web...", "&Web map...",
     "Montre la position courante ou le way-point sélectionné sur une carte web.",
     "Shows the current fix or the selected waypoint on a web map."},
    {"CircuitMenu", "&Circuit", "&Task"},
    {"AssocieAuto", "&Association automatique", "&Automatic association",
     "Associe les points de virage du circuit aux points de virage réalisés.",
     "Associates the turn points of the task with the reached points."},
    {"SupprCircuit", "&Supprimer le circuit", "&Delete the task",
     "Supprime tous les points de virage du circuit.", "Removes every turn point of the task."},
    {"ToolsMenu", "&Outils", "&Tools"},
    {"Options", "&Options...", "&Options...", "Options de Zephalon.", "Zephalon options."},
    {"SelectionCarte", "&Sélection carte de fond...", "&Background map...",
     "Choisit la carte scannée affichée en fond de la vue en plan.",
     "Chooses the scanned map drawn behind the plan view."},
    {"InstalleCarte", "&Installation cartes...", "&Install maps...",
     "Ajoute, modifie, ré-installe ou supprime les cartes scannées.",
     "Adds, edits, re-installs or removes scanned maps."},
    {"GpsGarmin", "GPS &Garmin...", "GPS &Garmin...", "Echange de données avec un GPS Garmin.",
     "Data exchange with a Garmin GPS."},
    {"TestBtn", "Test", "Test", "Fenêtre de test.", "Test window."},
    {"HelpMenu", "&?", "&?"},
    {"APropos", "&A propos de Zephalon...", "&About Zephalon...", nullptr, nullptr},
    {"MainToolBar", "Barre d'outils", "Tool bar"},
};

const TUiText TextFormTexts[] = {
    {"", "Calculs", "Calculations"},
};

const TUiText GarminFormTexts[] = {
    {"", "Interface pour GPS Garmin", "Garmin GPS interface"},
    {"TraceBtn", "Tr&acer", "Dr&aw", "Trace les données déjà lues du GPS.",
     "Draws the data already read from the GPS."},
    {"TrjBox", "&Lecture trajectoire", "Track &reading"},
    {"TrjTimeBox", "&Nouvelle trajectoire après", "&New track after",
     "Changements de trajectoires si interruption de la trace pendant une durée supérieure à la valeur "
     "indiquée en mn.",
     "New track when the trace stops for longer than the time given in minutes."},
    {"TrjTimeEdit", nullptr, nullptr, "Durée minimum entre 2 changements de trajectoires (en minutes).",
     "Shortest time between two track changes (minutes)."},
    {"TrjGrmBox", "Changt traject. &Garmin", "&Garmin track change",
     "Changements de trajectoires détectés par le GPS Garmin.", "Track changes detected by the Garmin GPS."},
    {"UpTrkBtn", "Ecrire TR&K", "Write TR&K", "Transfère la trajectoire active vers le GPS.",
     "Transfers the active track to the GPS."},
    {"DownTrkBtn", "Lire &TRK", "Read &TRK",
     "Lit les trajectoires enregistrées dans le GPS (track log) sans les effacer.",
     "Reads the tracks recorded in the GPS (track log) without erasing them."},
    {"UpWptBox", "Ecriture way-points", "Waypoint writing"},
    {"SelOnlyBtn", "Wpt repérés seule&ment", "&Marked wpt only",
     "Ne transfère vers le GPS que les way-points repérés (tous les way-points sinon).",
     "Transfers only the marked waypoints to the GPS (all waypoints otherwise)."},
    {"UpWptBtn", "Ecrire W&PT", "Write W&PT",
     "Transfère et ajoute les way-points ouverts vers le GPS (les 6 premières lettres doivent être "
     "différentes !).",
     "Transfers and adds the open waypoints to the GPS (the first 6 letters must differ!)."},
    {"DownWptBtn", "Lire &WPT", "Read &WPT", "Lit les way-points personnels du GPS sans les effacer.",
     "Reads the user waypoints of the GPS without erasing them."},
    {"ComBox", "&Interface", "&Interface", "Sélection du port auquel est relié le GPS.",
     "Choice of the port the GPS is connected to."},
    {"ComNbEdit", nullptr, nullptr, "Sélection du port auquel est relié le GPS.",
     "Choice of the port the GPS is connected to."},
    {"ComNbLbl", "N° port", "Port no."},
    {"UpRteBtn", "Ecrire RT&E", "Write RT&E", "Transfère le circuit vers le GPS (route).",
     "Transfers the task to the GPS (route)."},
    {"DownRteBtn", "Lire &RTE", "Read &RTE", "Lit un circuit (route) du GPS sans l'effacer.",
     "Reads a task (route) from the GPS without erasing it."},
    {"OffBtn", "Etein&dre", "Switch o&ff", "Eteint le GPS.", "Switches the GPS off."},
    {"CloseBtn", "&Fermer", "&Close", "Ferme cette fenêtre \"Interface pour GPS Garmin\".",
     "Closes this \"Garmin GPS interface\" window."},
};

const TUiText OptionFormTexts[] = {
    {"", "Options", "Options"},
    {"UnitsSheet", "Unités", "Units"},
    {"TrjSheet", "Trajectoire", "Track"},
    {"SectSheet", "Secteurs", "Sectors"},
    {"FaiSheet", "Triangle FAI", "FAI triangle"},
    {"MapSheet", "Carte", "Map"},
    {"ZoneSheet", "Zones", "Airspace"},
    {"OtherSheet", "Autres options", "Other options"},
    // Units
    {"DistLbl", "Distance :", "Distance:"},
    {"SpeedLbl", "Vitesse :", "Speed:"},
    {"VarioLbl", "Vario :", "Vario:"},
    {"AltUnitLbl", "Altitude :", "Altitude:"},
    {"CoordLbl", "Coordonnées :", "Coordinates:"},
    {"CoordCombo", "Degrés, minutes, secondes\nDegrés, minutes et centièmes",
     "Degrees, minutes, seconds\nDegrees, minutes and hundredths", "Format des latitudes et longitudes.",
     "Format of latitudes and longitudes."},
    {"EarthLbl", "Modèle de la Terre :", "Earth model:"},
    {"EarthCombo", nullptr, nullptr, "Calcul des distances sur la sphère ou sur l'ellipsoïde WGS84.",
     "Distances on the sphere or on the WGS84 ellipsoid."},
    // Track
    {"AltModeLbl", "Altitude affichée :", "Altitude shown:"},
    {"AltModeCombo", "Pression\nGPS\nPression et GPS", "Pressure\nGPS\nPressure and GPS"},
    {"SelWidthLbl", "Épaisseur de la sélection :", "Selection width:"},
    {"SelWidthEdit", nullptr, nullptr, "Épaisseur du trait de la partie sélectionnée (pixels).",
     "Pen width of the selected part (pixels)."},
    {"EngineGroup", "Bruit moteur", "Engine noise"},
    {"EngineRelLbl", "Seuil relatif (% du maximum) :", "Relative level (% of the maximum):"},
    {"EngineRelEdit", nullptr, nullptr,
     "Le trait s'élargit au-delà de ce pourcentage du bruit maximal du vol.",
     "The pen widens above this percentage of the flight's maximum noise."},
    {"EngineAbsLbl", "Seuil absolu (0 à 999) :", "Absolute level (0 to 999):"},
    {"EngineAbsEdit", nullptr, nullptr, "Niveau de bruit à partir duquel le moteur est considéré en marche.",
     "Noise level from which the engine counts as running."},
    {"EngineCoefLbl", "Coefficient d'épaisseur :", "Width factor:"},
    {"EngineCoefEdit", nullptr, nullptr, "Épaisseur du trait quand le moteur tourne.",
     "Pen width while the engine runs."},
    {"ColorGroup", "Couleurs", "Colours"},
    {"ColorTrace", "Trajectoire", "Track"},
    {"ColorSel", "Sélection", "Selection"},
    {"ColorCursor", "Curseur", "Cursor"},
    {"ColorAlt", "Altitude pression", "Pressure altitude"},
    {"ColorAltGps", "Altitude GPS", "GPS altitude"},
    {"ColorEngine", "Bruit moteur", "Engine noise"},
    {"ColorOther", "Autres trajectoires", "Other tracks"},
    // Sectors
    {"SectKindLbl", "Point :", "Point:"},
    {"SectKindCombo", "Départ\nPoint de virage\nArrivée\nDépart étendu\nVirage étendu\nArrivée étendue",
     "Start\nTurn point\nFinish\nExtended start\nExtended turn\nExtended finish"},
    {"TurnTypeLbl", "Secteur :", "Sector:"},
    {"TurnType", nullptr, nullptr, "Type de secteur de virage", "Turn sector type"},
    {"Radius1Lbl", "Rayon intérieur :", "Inner radius:"},
    {"Angle1Lbl", "Angle intérieur :", "Inner angle:"},
    {"Radius2Lbl", "Rayon extérieur :", "Outer radius:"},
    {"Angle2Lbl", "Angle extérieur :", "Outer angle:"},
    {"CldAreaBtn", "Zone fermée", "Closed zone", "Zone de virage fermée ou non par un cercle extérieur",
     "Turn zone closed by an outer circle or not"},
    {"LigneBox", "Branches tracées entre les bords des secteurs", "Legs drawn between the sector edges"},
    // FAI
    {"MinDist1Lbl", "Distance limite (km) :", "Limit distance (km):"},
    {"MinTri0Lbl", "Plus petit côté, en dessous (%) :", "Shortest leg, below (%):"},
    {"MaxTri0Lbl", "Plus grand côté, en dessous (%) :", "Longest leg, below (%):"},
    {"MinTri1Lbl", "Plus petit côté, au-delà (%) :", "Shortest leg, from it (%):"},
    {"MaxTri1Lbl", "Plus grand côté, au-delà (%) :", "Longest leg, from it (%):"},
    {"FaiNoteLbl",
     "Chaque côté du triangle, en pourcentage de sa distance,\rdoit rester dans les limites correspondant à "
     "sa "
     "distance.",
     "Each leg of the triangle, as a percentage of its distance,\rmust stay within the limits of that "
     "distance."},
    // Map
    {"FondCarteBox", "Afficher la carte de fond", "Show the background map"},
    {"AutoSelBox", "Sélection automatique de la carte", "Automatic map selection",
     "Charge la carte installée sous le point courant.", "Loads the installed map under the current point."},
    {"MapNameLbl", "Carte courante :", "Current map:"},
    // Airspace
    {"ZoneClassHdr", "Classe", "Class"},
    {"ZoneDrawHdr", "Tracer", "Draw"},
    {"ZoneColorHdr", "Couleur", "Colour"},
    {"ZoneStyleHdr", "Trait", "Pen"},
    {"ZoneWidthHdr", "Épaisseur", "Width"},
    // Other options
    {"AssocLbl", "Association automatique à l'ouverture :", "Automatic association on opening:"},
    {"AssocCombo", "Demander\nJamais\nToujours", "Ask\nNever\nAlways",
     "Association des points de virage du circuit aux points de virage réalisés.",
     "Association of the task's turn points with the reached points."},
    {"AutoFitBox", "Ajuster la vue plan à l'ouverture d'une trajectoire",
     "Fit the plan view when a track opens"},
    {"OKBtn", "OK", "OK", "Ferme la fenêtre en prenant en compte les modifications.",
     "Closes and keeps the changes."},
    {"EscBtn", "Annuler", "Cancel", "Ferme la fenêtre sans prendre en compte les modifications.",
     "Closes and drops the changes."},
};

struct TLangEntry
{
    QString Name;
    TLangRoutine Routine;
};

std::vector<TLangEntry>& Routines()
{
    static std::vector<TLangEntry> r = {
        {QStringLiteral("MainForm"),
         [] {
             if (MainForm) LangMainForm(*MainForm);
         }},
        {QStringLiteral("TextForm"),
         [] {
             if (TextForm) LangTextForm(*TextForm);
         }},
    };
    return r;
}

} // namespace

QStringList LangMainForm(TMainForm& F)
{
    return ApplyTexts(&F, MainFormTexts);
}

QStringList LangTextForm(TTextForm& F)
{
    return ApplyTexts(&F, TextFormTexts);
}

QStringList LangGarminForm(TGarminForm& F)
{
    return ApplyTexts(&F, GarminFormTexts);
}

QStringList LangOptionForm(TOptionForm& F)
{
    QStringList missing = ApplyTexts(&F, OptionFormTexts);
    const QString styles = UiText("Plein\nTirets\nPoints\nTiret-point\nTiret-point-point",
                                  "Solid\nDash\nDot\nDash-dot\nDash-dot-dot");
    for (int i = 1; i <= 10; ++i)
        if (auto* c = F.findChild<QComboBox*>(QStringLiteral("ZoneStyle%1").arg(i)))
            SetComboItems(c, styles);
        else
            missing << QStringLiteral("ZoneStyle%1").arg(i);
    return missing;
}

void RegisterLangRoutine(const QString& Name, TLangRoutine Routine)
{
    auto& r = Routines();
    for (TLangEntry& e : r)
        if (e.Name == Name) {
            e.Routine = std::move(Routine);
            return;
        }
    r.push_back({Name, std::move(Routine)});
}

QStringList LangRoutineNames()
{
    QStringList n;
    for (const TLangEntry& e : Routines()) n << e.Name;
    return n;
}

bool SetQtLanguage(int Lang)
{
    // Qt's own controls (file dialogs, context menus of the edits) speak the program's
    // language: French from Qt's translation catalogue, English built in.
    static QTranslator* qtFr = nullptr;
    if (Lang == 1) {
        if (qtFr) {
            QCoreApplication::removeTranslator(qtFr);
            delete qtFr;
            qtFr = nullptr;
        }
        return true;
    }
    if (qtFr) return true;
    auto* t = new QTranslator;
    if (!t->load(QStringLiteral("qt_fr"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete t;
        return false;
    }
    if (!QCoreApplication::installTranslator(t)) {
        delete t;
        return false;
    }
    qtFr = t;
    return true;
}

void SetFrenchTexts()
{
    Msg::SetLanguage(Language);
    SetQtLanguage(Language);
    for (const TLangEntry& e : Routines())
        if (e.Routine) e.Routine();
}

// ---- Sector edits ------------------------------------------------------------------------------

namespace {

uint8 NormalKind(uint8 Kind)
{
    return Kind <= siExtFinish ? Kind : uint8(siTurn);
}

} // namespace

QStringList SectTypeNames(uint8 Kind)
{
    QStringList l{QStringLiteral("Droites et cercles")};
    switch (NormalKind(Kind)) {
    case siTurn:
        l << QStringLiteral("Cercles concentriques");
        break;
    case siFinish:
    case siExtFinish:
        l << QStringLiteral("Droite suivant cap");
        break;
    case siExtStart:
        l << QStringLiteral("Courbe et cercle");
        break;
    default: // start and extended turn: lines and circles only
        break;
    }
    return l;
}

void FillSectTypeList(uint8 Kind, QComboBox* List)
{
    if (!List) return;
    List->clear();
    List->addItems(SectTypeNames(Kind));
}

TSectEditSpecs SectEditSpecs(uint8 Kind, uint8 Shape)
{
    Kind = NormalKind(Kind);
    if (Shape < 1 || Shape > SectTypeNames(Kind).size()) Shape = 1;
    auto radius = [](bool visible, const char* hint) {
        return TSectEditSpec{visible, 0, 100000, 100, QString::fromUtf8(hint)};
    };
    auto angle = [](bool visible, const char* hint) {
        return TSectEditSpec{visible, 0, 180, 45, QString::fromUtf8(hint)};
    };
    TSectEditSpecs s;
    if (Shape == 1) {
        s.InnerRadius =
            radius(true, "Rayon intérieur (m) : cercle ou secteur autour du point, ouvert de l'angle "
                         "intérieur.");
        s.InnerAngle = angle(true, "Demi-angle intérieur (°) : 0 ou 180 = cercle complet.");
        s.OuterRadius =
            radius(true, "Rayon extérieur (m) : longueur du secteur, demi-longueur de la ligne pour un "
                         "demi-angle de 90°.");
        s.OuterAngle = angle(true, "Demi-angle extérieur (°) : 45 = secteur FAI, 90 = ligne, 180 = cercle.");
    } else if (Kind == siTurn) {
        s.InnerRadius = radius(true, "Rayon du cercle intérieur (m).");
        s.OuterRadius = radius(true, "Rayon du cercle extérieur (m), au plus 10 fois le rayon intérieur.");
        s.InnerAngle = angle(false, "");
        s.OuterAngle = angle(false, "");
    } else if (Kind == siExtStart) {
        s.InnerRadius = radius(true, "Rayon du cercle autour du point de départ (m).");
        s.OuterRadius =
            radius(true, "Rayon extérieur (m) : limite de la zone derrière la courbe centrée sur le "
                         "point suivant.");
        s.InnerAngle = angle(false, "");
        s.OuterAngle = angle(false, "");
    } else { // finish and extended finish: a line along a course
        s.InnerRadius = radius(false, "");
        s.InnerAngle = angle(false, "");
        s.OuterRadius = radius(true, "Demi-longueur de la ligne d'arrivée (m).");
        s.OuterAngle =
            TSectEditSpec{true, 0, 360, 5, QStringLiteral("Cap de la ligne d'arrivée (°, de 0 à 360).")};
    }
    return s;
}

void SetSectHints(uint8 Kind, uint8 Shape, QSpinBox* InnerRadius, QSpinBox* OuterAngle, QSpinBox* InnerAngle,
                  QSpinBox* OuterRadius)
{
    const TSectEditSpecs s = SectEditSpecs(Kind, Shape);
    auto apply = [](QSpinBox* E, const TSectEditSpec& S) {
        if (!E) return;
        E->setRange(S.Min, S.Max); // keeps the value within the range
        E->setSingleStep(S.Step);
        E->setToolTip(S.Hint);
        E->setVisible(S.Visible);
    };
    apply(InnerRadius, s.InnerRadius);
    apply(OuterAngle, s.OuterAngle);
    apply(InnerAngle, s.InnerAngle);
    apply(OuterRadius, s.OuterRadius);
}
