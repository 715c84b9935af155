// The texts of the windows and the sector edits.
#include "app/Langage.h"

#include "app/Main.h"
#include "app/Option.h"
#include "app/Text.h"
#include "devices/Garmin.h"
#include "devices/Logger.h"
#include "devices/Magellan.h"
#include "devices/Mlr.h"
#include "devices/Nmea.h"
#include "model/Calc.h"
#include "platform/Msg.h"
#include "platform/WidgetFit.h"

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
    // New texts may bring a letter that another control of the window already uses.
    if (auto* w = qobject_cast<QWidget*>(Root)) UniqueMnemonics(w->window());
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
    {"PtTrajEnVir", "&Création point de virage...", "&New turn point...",
     "Crée un point de virage au point courant de la trajectoire.",
     "Creates a turn point at the current fix of the track."},
    {"EditePtVir", "&Edition point de virage", "&Edit turn point"},
    {"AssocieAuto", "&Association automatique", "&Automatic association",
     "Associe les points de virage du circuit aux points de virage réalisés.",
     "Associates the turn points of the task with the reached points."},
    {"ControleSect", "&Vérification des secteurs", "&Sector check",
     "Affiche chaque point de virage du circuit avec son secteur.",
     "Shows every turn point of the task with its sector."},
    {"Imprime", "&Imprimer...", "&Print...", "Imprime la trajectoire, le circuit ou les way-points.",
     "Prints the trace, the task or the waypoints."},
    {"SupprCircuit", "&Supprimer le circuit", "&Delete the task",
     "Supprime tous les points de virage du circuit.", "Removes every turn point of the task."},
    {"ExplorDir", "E&xplorateur de fichiers...", "File e&xplorer...",
     "Parcourt les vols d'un répertoire avec leur résumé.", "Browses the flights of a folder with their summaries."},
    {"RechercheCirc", "&Recherche de circuits", "&Circuit search",
     "Recherche les circuits possibles entre les way-points.",
     "Searches the circuits between the waypoints."},
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
    {"LoggerAct", "&Logger...", "&Logger...",
     "Lit les vols du Logger, règle son intervalle ou efface sa mémoire.",
     "Reads the logger's flights, sets its interval or clears its memory."},
    {"NmeaAct", "Récepteur &NMEA...", "&NMEA receiver...",
     "Enregistre en direct la trajectoire reçue d'un GPS NMEA 0183.",
     "Records live the track received from an NMEA 0183 GPS."},
    {"GpsMlr", "GPS &MLR...", "GPS &MLR...", "Echange de données avec un GPS MLR.",
     "Data exchange with an MLR GPS."},
    {"GpsMagellan", "GPS Mag&ellan...", "GPS Mag&ellan...", "Echange de données avec un GPS Magellan.",
     "Data exchange with a Magellan GPS."},
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

const TUiText MlrFormTexts[] = {
    {"", "Interface pour GPS MLR", "MLR GPS interface"},
    {"TrjBox", "&Lecture trajectoire", "Track &reading"},
    {"TrjMde0", "Lent (NMEA)", "Slow (NMEA)", "Après avoir cliqué, mettre la sortie série du GPS sur TRACE.",
     "After clicking, set the serial output of the GPS to TRACE."},
    {"TrjMde1", "Rapide", "Fast", "Avant de cliquer, mettre l'entrée série du GPS sur NMEA.",
     "Before clicking, set the serial input of the GPS to NMEA."},
    {"TrjMde2", "Très rapide", "Very fast", "Avant de cliquer, mettre l'entrée série du GPS sur NMEA.",
     "Before clicking, set the serial input of the GPS to NMEA."},
    {"TrjTimeBox", "&Nouvelle trajectoire après", "&New track after",
     "Changements de trajectoires si interruption de la trace pendant une durée supérieure à la valeur "
     "indiquée en mn.",
     "New track when the trace stops for longer than the time given in minutes."},
    {"TrjTimeEdit", nullptr, nullptr, "Durée minimum entre 2 changements de trajectoires (en minutes).",
     "Shortest time between two track changes (minutes)."},
    {"TrjMlrBox", "C&hangement trajectoire Mlr", "MLR track c&hange",
     "Changements de trajectoires détectés par le GPS MLR.", "Track changes detected by the MLR GPS."},
    {"DownTrkBtn", "Lire &Trace", "Read &Trace",
     "Lit la trace du GPS (mode lent : sortie série du GPS sur TRACE après avoir cliqué ; modes rapides : "
     "entrée série sur NMEA avant de cliquer).",
     "Reads the track log of the GPS (slow mode: serial output of the GPS on TRACE after clicking; fast "
     "modes: serial input on NMEA before clicking)."},
    {"DwnWptBox", "Lect&ure way-points", "Waypoint re&ading"},
    {"WptMde0", "Lent (NMEA - avec commentaires) ", "Slow (NMEA - with comments) ",
     "Après avoir cliqué, mettre la sortie série du GPS sur WPTS+ROUTES.",
     "After clicking, set the serial output of the GPS to WPTS+ROUTES."},
    {"WptMde1", "Rapide (pas de commentaires)", "Fast (no comments)",
     "Avant de cliquer, mettre l'entrée série du GPS sur NMEA.",
     "Before clicking, set the serial input of the GPS to NMEA."},
    {"WptMde2", "Très rapide (pas de commentaires)", "Very fast (no comments)",
     "Avant de cliquer, mettre l'entrée série du GPS sur NMEA.",
     "Before clicking, set the serial input of the GPS to NMEA."},
    {"DownWptBtn", "Lire &Wpt", "Read &Wpt", "Lit les way-points du GPS sans les effacer.",
     "Reads the waypoints of the GPS without erasing them."},
    {"DownRteBtn", "Lire &Route", "Read &Route",
     "Lit une route du GPS (sortie série sur WPTS+ROUTES après avoir cliqué) ; ses way-points doivent "
     "exister sur le PC.",
     "Reads a route of the GPS (serial output on WPTS+ROUTES after clicking); its waypoints must exist on "
     "the PC."},
    {"DownWptRteBtn", "Wpt &+ Rte", "Wpt &+ Rte",
     "Lit les way-points et une route du GPS (sortie série sur WPTS+ROUTES après avoir cliqué).",
     "Reads the waypoints and one route of the GPS (serial output on WPTS+ROUTES after clicking)."},
    {"UpWptBox", "Ecriture way-points", "Waypoint writing"},
    {"SelOnlyBtn", "Wpt repérés seule&ment", "&Marked wpt only",
     "Ne transfère vers le GPS que les way-points repérés (tous les way-points sinon).",
     "Transfers only the marked waypoints to the GPS (all waypoints otherwise)."},
    {"UpWptBtn", "&Ecrire Wpt", "&Write Wpt",
     "Transfère les way-points ouverts vers le GPS (entrée série sur NMEA ; les 6 premières lettres doivent "
     "être différentes !).",
     "Transfers the open waypoints to the GPS (serial input on NMEA; the first 6 letters must differ!)."},
    {"UpRteBtn", "E&crire Route", "W&rite Route",
     "Transfère le circuit vers le GPS comme route (entrée série sur NMEA).",
     "Transfers the task to the GPS as a route (serial input on NMEA)."},
    {"UpSmpBox", "Profil de carte (zone)", "Map profile (zones)"},
    {"NbPtCrcLbl", "Nombre de segment pour un cercle", "Number of segments for a circle"},
    {"NbPtCrcEdit", nullptr, nullptr, "Nombre de segments remplaçant un cercle complet.",
     "Number of segments that replace a full circle."},
    {"SelScrBtn", "Uniquement zone à l'écran", "Only zones on the screen",
     "Ne transfère que la partie des zones visible dans la vue en plan.",
     "Transfers only the part of the zones visible in the plan view."},
    {"UpSmpBtn", "Ecrire zone", "Write zones",
     "Transfère les contours des zones aériennes vers le GPS (entrée série sur NMEA).",
     "Transfers the outlines of the airspace zones to the GPS (serial input on NMEA)."},
    {"ComBox", "&Interface", "&Interface", "Sélection du port auquel est relié le GPS.",
     "Choice of the port the GPS is connected to."},
    {"ComNbEdit", nullptr, nullptr, "Sélection du port auquel est relié le GPS.",
     "Choice of the port the GPS is connected to."},
    {"ComNbLbl", "N° port", "Port no."},
    {"GpsIdBtn", "I&d GPS", "GPS I&d", "Identifie le GPS relié.", "Identifies the connected GPS."},
    {"CloseBtn", "&Fermer", "&Close", "Ferme cette fenêtre \"Interface pour GPS MLR\".",
     "Closes this \"MLR GPS interface\" window."},
};

const TUiText MagellanFormTexts[] = {
    {"", "Interface pour GPS Magellan", "Magellan GPS interface"},
    {"TrjBox", "&Lecture trajectoire", "Track &reading"},
    {"DownTrkBtn", "Lire &TRK", "Read &TRK", "Lit la trace du GPS.", "Reads the track log of the GPS."},
    {"TrjTimeBox", "Nouvelle trajectoire aprè&s", "New track afte&r",
     "Changements de trajectoires si interruption de la trace pendant une durée supérieure à la valeur "
     "indiquée en mn.",
     "New track when the trace stops for longer than the time given in minutes."},
    {"TrjTimeEdit", nullptr, nullptr, "Durée minimum entre 2 changements de trajectoires (en minutes).",
     "Shortest time between two track changes (minutes)."},
    {"TraceBtn", "Tracer", "Draw", "Affiche la trajectoire en cours de lecture.",
     "Shows the track being read."},
    {"WptBox", "Ecriture way-points", "Waypoint writing"},
    {"DownWptBtn", "Lire &WPT", "Read &WPT", "Lit les way-points du GPS.", "Reads the waypoints of the GPS."},
    {"UpWptBtn", "Ecrire W&PT", "Write W&PT", "Transfère les way-points ouverts vers le GPS.",
     "Transfers the open waypoints to the GPS."},
    {"SelOnlyBtn", "Wpt repérés seule&ment", "&Marked wpt only",
     "Ne transfère vers le GPS que les way-points repérés (tous les way-points sinon).",
     "Transfers only the marked waypoints to the GPS (all waypoints otherwise)."},
    {"WptLenNmeLbl", "Nb caractères ma&xi. nom wpt", "Ma&x. characters of wpt name"},
    {"WptLenNmeEdit", nullptr, nullptr, "Nombre de caractères des noms de way-points du GPS.",
     "Number of characters of the GPS waypoint names."},
    {"DownRteBtn", "Lire &RTE", "Read &RTE", "Lit une route du GPS dans le circuit.",
     "Reads a route of the GPS into the task."},
    {"UpRteBtn", "Ecrire RT&E", "Write RT&E", "Transfère le circuit vers le GPS comme route.",
     "Transfers the task to the GPS as a route."},
    {"EraseBox", "Eff&ace", "Er&ase"},
    {"DelTrkBtn", "Trajectoires", "Tracks"},
    {"DelSelWptBtn", "Wpts repérés", "Marked wpts"},
    {"DelAllWptBtn", "Tous wpts", "All wpts"},
    {"DelOneRteBtn", "Une route", "One route"},
    {"DelAllRteBtn", "Toutes routes", "All routes"},
    {"DelAllBtn", "TOUT", "ALL"},
    {"EraseBtn", "Effacer", "Erase", "Efface dans le GPS les données cochées.",
     "Erases the checked data in the GPS."},
    {"NmeaOneBtn", "Active &NMEA", "&NMEA on", "Relance la sortie NMEA du GPS à la fin du transfert.",
     "Restarts the NMEA output of the GPS at the end of a transfer."},
    {"ComBox", "Config. port", "Port settings"},
    {"ComNbLbl", "N° p&ort", "P&ort no."},
    {"ComNbEdit", nullptr, nullptr, "Sélection du port auquel est relié le GPS.",
     "Choice of the port the GPS is connected to."},
    {"ComSpeedLbl", "&Vitesse", "&Speed"},
    {"FlowCheckBtn", "&Contrôle flux", "&Flow control",
     "Chaque phrase reçue du GPS est acquittée (les écritures et l'effacement le sont toujours).",
     "Every sentence received from the GPS is acknowledged (writing and erasing always are)."},
    {"GpsIdBtn", "&Id. GPS", "GPS &Id.", "Identifie le GPS relié.", "Identifies the connected GPS."},
    {"CloseBtn", "&Fermer", "&Close", "Ferme cette fenêtre \"Interface pour GPS Magellan\".",
     "Closes this \"Magellan GPS interface\" window."},
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

const TUiText LoggFormTexts[] = {
    {"", "Interface pour Logger", "Logger interface"},
    {"ParamBox", "Intervalle d'enregistrement", "Recording interval"},
    {"EchEcarts", "s", "s"},
    {"Ecart", nullptr, nullptr, "Intervalle entre deux points enregistrés par le Logger (en secondes).",
     "Time between two points recorded by the logger (in seconds)."},
    {"EcartBtn", "&Régler", "&Set", "Envoie l'intervalle au Logger.", "Sends the interval to the logger."},
    {"EffaceBtn", "&Effacer", "&Clear", "Efface les données du Logger.", "Clears the logger's data."},
    {"LectBtn", "&Lire", "&Read", "Lit les vols enregistrés dans le Logger.",
     "Reads the flights recorded in the logger."},
    {"TraceBtn", "Tr&acer", "&Draw", "Trace les données déjà lues du Logger.",
     "Draws the data already read from the logger."},
    {"CloseBtn", "&Fermer", "&Close", "Ferme cette fenêtre \"Interface pour Logger\".",
     "Closes this \"Logger interface\" window."},
    {"ComBox", "&Interface", "&Interface", "Sélection du port auquel est relié le Logger.",
     "Port the logger is connected to."},
    {"ComNbLbl", "N° port", "Port"},
};

const TUiText NmeaFormTexts[] = {
    {"", "Récepteur GPS NMEA", "NMEA GPS receiver"},
    {"LectBtn", "&Lire", "&Read", "Commence la lecture du GPS et l'enregistrement de la trajectoire.",
     "Starts reading the GPS and recording the track."},
    {"MoreBtn", "&Plus", "&More", "Agrandit ou réduit la fenêtre principale.",
     "Enlarges or reduces the main window."},
    {"CloseBtn", "&Fermer", "&Close", "Termine la lecture et ferme cette fenêtre.",
     "Ends the reading and closes this window."},
    {"EcartLbl1", "Un point toutes les", "One point every"},
    {"EcartLbl2", " s", " s"},
    {"Ecart", nullptr, nullptr, "Intervalle minimum entre deux points enregistrés (en secondes).",
     "Shortest time between two recorded points (in seconds)."},
    {"MoveSelBtn", "Déplacer le point courant", "Move the current point",
     "Le point courant suit la dernière position reçue.",
     "The current point follows the last position received."},
    {"AutoCtgBtn", "Centrage automatique", "Automatic centring",
     "La vue plan se recentre quand la position sort de sa partie centrale.",
     "The plan view centres again when the position leaves its central part."},
    {"ChecksumBtn", "Tester les checksums", "Test the checksums",
     "Refuse les phrases dont la somme de contrôle est fausse.",
     "Refuses sentences whose checksum is wrong."},
    {"ComBox", "&Interface", "&Interface", "Sélection du port auquel est relié le GPS.",
     "Port the GPS is connected to."},
    {"ComNbLbl", "N° port", "Port"},
    {"ComSpeedLbl", "Vitesse", "Speed"},
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
        // The one device window that stays open while the language may change.
        {QStringLiteral("NmeaForm"),
         [] {
             if (NmeaForm) LangNmeaForm(*NmeaForm);
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

QStringList LangLoggForm(TLoggForm& F)
{
    F.MsgTexts.BadData = UiText("Les données du Logger sont erronées !", "The logger's data are wrong!");
    F.MsgTexts.Counters = UiText("Points lus : %d   -   Erreur(s) détectée(s) : %d.",
                                 "Points read: %d   -   Error(s) detected: %d.");
    F.MsgTexts.ClearQuestion = UiText("Etes vous sûr de vouloir effacer les données du Logger ?",
                                      "Do you really want to clear the logger's data?");
    return ApplyTexts(&F, LoggFormTexts);
}

QStringList LangNmeaForm(TNmeaForm& F)
{
    F.MsgTexts.BadRmc = UiText("Phrase \"GPRMC\" non valide", "Invalid \"GPRMC\" sentence");
    F.MsgTexts.NoRmc = UiText("Pas de phrase \"GPRMC\" détectée", "No \"GPRMC\" sentence found");
    F.MsgTexts.NoData = UiText("Pas de donnée détectée", "No data found");
    F.MsgTexts.Advice = UiText("Vérifier que le GPS est correctement connecté au PC et que son interface est "
                               "configurée sur NMEA 0183.",
                               "Check that the GPS is properly connected to the PC and that its interface is "
                               "set to NMEA 0183.");
    F.MsgTexts.Reading = UiText("Lecture en cours ...", "Reading ...");
    return ApplyTexts(&F, NmeaFormTexts);
}

QStringList LangMlrForm(TMlrForm& F)
{
    return ApplyTexts(&F, MlrFormTexts);
}

QStringList LangMagellanForm(TMagellanForm& F)
{
    return ApplyTexts(&F, MagellanFormTexts);
}

QStringList LangOptionForm(TOptionForm& F)
{
    QStringList missing = ApplyTexts(&F, OptionFormTexts);
    const QString styles = UiText("Plein\nTirets\nPoints\nTiret-point\nTiret-point-point",
                                  "Solid\nDash\nDot\nDash-dot\nDash-dot-dot");
    // The classes' names stay the keys of the INI file; only their labels take the language.
    static const char* const zoneEn[] = {"Class A",         "Class B",   "Class C",         "Class D",
                                         "Class E",         "Class F",   "Prohibited area", "Danger area",
                                         "Restricted area", "Other area"};
    for (int i = 1; i <= 10; ++i)
        if (auto* l = F.findChild<QLabel*>(QStringLiteral("ZoneName%1").arg(i)))
            l->setText(Language == 1 ? QString::fromLatin1(zoneEn[i - 1]) : ZoneClassNames[size_t(i)]);
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
    auto radius = [](bool visible, const char* hintFr, const char* hintEn) {
        return TSectEditSpec{visible, 0, 100000, 100, UiText(hintFr, hintEn)};
    };
    auto angle = [](bool visible, const char* hintFr, const char* hintEn) {
        return TSectEditSpec{visible, 0, 180, 45, UiText(hintFr, hintEn)};
    };
    TSectEditSpecs s;
    if (Shape == 1) {
        s.InnerRadius =
            radius(true,
                   "Rayon intérieur (m) : cercle ou secteur autour du point, ouvert de l'angle "
                   "intérieur.",
                   "Inner radius (m): circle or sector around the point, opened by the inner angle.");
        s.InnerAngle = angle(true, "Demi-angle intérieur (°) : 0 ou 180 = cercle complet.",
                             "Inner half-angle (°): 0 or 180 = full circle.");
        s.OuterRadius = radius(
            true,
            "Rayon extérieur (m) : longueur du secteur, demi-longueur de la ligne pour un "
            "demi-angle de 90°.",
            "Outer radius (m): length of the sector, half-length of the line for a half-angle of 90°.");
        s.OuterAngle = angle(true, "Demi-angle extérieur (°) : 45 = secteur FAI, 90 = ligne, 180 = cercle.",
                             "Outer half-angle (°): 45 = FAI sector, 90 = line, 180 = circle.");
    } else if (Kind == siTurn) {
        s.InnerRadius = radius(true, "Rayon du cercle intérieur (m).", "Radius of the inner circle (m).");
        s.OuterRadius = radius(true, "Rayon du cercle extérieur (m), au plus 10 fois le rayon intérieur.",
                               "Radius of the outer circle (m), at most 10 times the inner radius.");
        s.InnerAngle = angle(false, "", "");
        s.OuterAngle = angle(false, "", "");
    } else if (Kind == siExtStart) {
        s.InnerRadius = radius(true, "Rayon du cercle autour du point de départ (m).",
                               "Radius of the circle around the start point (m).");
        s.OuterRadius =
            radius(true,
                   "Rayon extérieur (m) : limite de la zone derrière la courbe centrée sur le "
                   "point suivant.",
                   "Outer radius (m): limit of the area behind the curve centred on the next point.");
        s.InnerAngle = angle(false, "", "");
        s.OuterAngle = angle(false, "", "");
    } else { // finish and extended finish: a line along a course
        s.InnerRadius = radius(false, "", "");
        s.InnerAngle = angle(false, "", "");
        s.OuterRadius =
            radius(true, "Demi-longueur de la ligne d'arrivée (m).", "Half-length of the finish line (m).");
        s.OuterAngle = TSectEditSpec{true, 0, 360, 5,
                                     UiText("Cap de la ligne d'arrivée (°, de 0 à 360).",
                                            "Course of the finish line (°, from 0 to 360).")};
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
