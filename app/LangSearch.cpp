// The texts of the circuit search window.
#include "app/LangSearch.h"

#include "app/Langage.h"
#include "dialogs/CalcStn.h"
#include "dialogs/EditTrn.h"

namespace {

const TUiText StnCalcTexts[] = {
    {"", "Recherche points de virage", "Turn point search"},
    {"NbVirLbl", "Nb de points (départ et arrivée non compris)",
     "Number of points (start and finish excluded)"},
    {"NbVirEdit", nullptr, nullptr,
     "Nombre de points de virage des circuits, sans compter le départ et l'arrivée.",
     "Number of turn points of the circuits, start and finish not counted."},
    {"DistMinLbl", "Distance minimale circuit", "Minimum circuit distance"},
    {"DistMinEdit", nullptr, nullptr, "Distance minimale des circuits à sélectionner.",
     "Minimum distance of the circuits to select."},
    {"DistMaxLbl", "Distance maximale", "Maximum distance"},
    {"DistMaxEdit", nullptr, nullptr, "Distance maximale des circuits à sélectionner.",
     "Maximum distance of the circuits to select."},
    {"DistMinSegLbl", "Distance mini branches", "Minimum leg distance"},
    {"DistMinSegEdit", nullptr, nullptr, "Distance minimale de chaque branche des circuits à sélectionner.",
     "Minimum distance of each leg of the circuits to select."},
    {"TestFaiTri", "Triangle FAI", "FAI triangle",
     "Limite ou non la sélection au triangle correspondants au critères FAI.",
     "Limits the selection to triangles meeting the FAI criteria, or not."},
    {"DifFaiDistLbl", "Ecart dist. FAI / dist. totale maxi", "Max. gap FAI dist. / total dist."},
    {"DifFaiDistEdit", nullptr, nullptr,
     "Ecart maxi entre distance FAI et distance totale du parcours (dans le cas d'un départ/arrivée en "
     "milieu de "
     "branche).",
     "Largest gap between the FAI distance and the total distance (start and finish on a leg)."},
    {"DistFaiMinLbl", "Distance mini FAI", "Minimum FAI distance"},
    {"DistFaiMinEdit", nullptr, nullptr,
     "Distance FAI mini du triangle (dans le cas d'un départ/arrivée en milieu de branche).",
     "Minimum FAI distance of the triangle (start and finish on a leg)."},
    {"OneDirection", "Limite sens de parcours", "One direction only",
     "Limite la recherche à un seul sens de parcours.", "Finds each circuit in one direction only."},
    {"ExitBtn", "&Fermer", "&Close", "Ferme cette fenêtre de recherche des points de virage.",
     "Closes this turn point search window."},
    {"DelBtn", "&Effacer", "&Clear", "Efface le point de virage imposé en critère de choix.",
     "Clears the turn point fixed as a criterion."},
    {"Efface", "&Effacer", "&Clear", "Efface le point de virage imposé en critère de choix.",
     "Clears the turn point fixed as a criterion."},
    {"Defini", "&Définir", "&Set",
     "Ajoute le way-point sélectionné dans la vue en plan comme point de virage imposé dans les critères.",
     "Fixes the waypoint selected in the plan view as a turn point of the criteria."},
    {"DefBtn", "&Définir", "&Set",
     "Ajoute le way-point sélectionné dans la vue en plan comme point de virage imposé dans les critères.",
     "Fixes the waypoint selected in the plan view as a turn point of the criteria."},
    {"SortBtn", "&Trier", "S&ort", "Trie les circuits suivant la colonne choisie.",
     "Sorts the circuits by the chosen column."},
    {"CalcBtn", "&Calculer", "C&alculate",
     "Lance la recherche de tous les circuits correspondants aux critères.",
     "Searches every circuit that meets the criteria."},
};

const TUiText TrnEditTexts[] = {
    {"TurnedPointGroupBox", "Point &tourné", "&Turned point"},
    {"NameLbl", "Nom", "Name"},
    {"NameEdit", nullptr, nullptr, "Nom du way-point tourné.", "Name of the turned waypoint."},
    {"LatiLbl", "Latitude", "Latitude"},
    {"LatiEdit", nullptr, nullptr, "Latitude du way-point tourné.", "Latitude of the turned waypoint."},
    {"LongLbl", "Longitude", "Longitude"},
    {"LongEdit", nullptr, nullptr, "Longitude du way-point tourné.", "Longitude of the turned waypoint."},
    {"CmntLbl", "Commentaire", "Comment"},
    {"CmntEdit", nullptr, nullptr, "Commentaire concernant le way-point tourné.",
     "Comment on the turned waypoint."},
    {"TurnAtLbl", "Tourné à", "Turned at"},
    {"DateEdit", nullptr, nullptr, "Heure du point de la trajectoire considéré comme tourné.",
     "Time of the fix of the trace taken as the turn."},
    {"TraceLbl", "Tracé dans secteur :", "Trace in sector:"},
    {"DebLbl", "Début", "Start"},
    {"DateBegEdit", nullptr, nullptr, "Heure de début du tracé de la trajectoire dans le secteur.",
     "Time the trace enters the sector."},
    {"EndLbl", "Fin", "End"},
    {"DateEndEdit", nullptr, nullptr, "Heure de fin du tracé de la trajectoire dans le secteur.",
     "Time the trace leaves the sector."},
    {"ExtenCheckBox", "Point &étendu", "&Extended point", "Point de virage étendu (point classique sinon).",
     "Extended turn point (a plain one otherwise)."},
    {"DefaultBox", "Par &défaut", "&Default",
     "Paramètres du secteur de virage par défaut (Options / Secteurs).",
     "Default sector parameters (Options / Sectors)."},
    {"TurnTypeGroupBox", "&Secteur de virage", "&Turn sector"},
    {"TurnType", nullptr, nullptr, "Type de secteur de virage", "Kind of turn sector"},
    {"InsLbl", "Intérieur", "Inner"},
    {"OutLbl", "Extérieur", "Outer"},
    {"CldAreaBtn", "Zone fermée", "Closed zone", "Zone de virage fermée ou non par un cercle extérieur",
     "Turn zone closed by an outer circle or not"},
    {"RefPointGroupBox", "Point de &référence", "&Reference point"},
    {"RefWptNameLbl", "Nom ", "Name "},
    {"RefWptNameEdit", nullptr, nullptr, "Nom du way-point de référence.", "Name of the reference waypoint."},
    {"RefWptLatiLbl", "Latitude", "Latitude"},
    {"RefWptLatiEdit", nullptr, nullptr, "Latitude du way-point de référence.",
     "Latitude of the reference waypoint."},
    {"RefWptLongLbl", "Longitude", "Longitude"},
    {"RefWptLongEdit", nullptr, nullptr, "Longitude du way-point de référence.",
     "Longitude of the reference waypoint."},
    {"RefWptCmntLbl", "Commentaire", "Comment"},
    {"RefWptCmntEdit", nullptr, nullptr, "Commentaire concernant le way-point point de référence.",
     "Comment on the reference waypoint."},
    {"OKBtn", "OK", "OK", "Ferme la fenêtre d'édition en prenant en compte les modifications.",
     "Closes the editor and keeps the changes."},
    {"EscBtn", "Annuler", "Cancel",
     "Ferme la fenêtre d'édition en ne prenant pas en compte les modifications.",
     "Closes the editor and drops the changes."},
};

} // namespace

QStringList LangTrnEdit(TTrnEdit& F)
{
    F.CaptionCreate = UiText("Création point de virage", "New turn point");
    F.CaptionEdit = UiText("Edition point de virage", "Turn point");
    F.MsgInvalid = UiText("Données saisies non valides.", "Invalid data.");
    F.setWindowTitle(F.CaptionCreate);
    return ApplyTexts(&F, TrnEditTexts);
}

QStringList LangStnCalc(TStnCalc& F)
{
    F.MsgTooMany = UiText("Peu ou pas de way-point figés comme critère.\rLe calcul est impossible.",
                          "Few or no waypoints fixed as criteria.\rThe search is impossible.");
    F.MsgTooLong = UiText(
        "Peu ou pas de way-point figés comme critère.\rLe calcul risque d'être trop long.\rContinuer ?",
        "Few or no waypoints fixed as criteria.\rThe search may take very long.\rGo on?");
    F.MsgSelectWpt = UiText("Un way-point doit être sélectionné dans la vue en plan !",
                            "A waypoint must be selected in the plan view!");
    F.MsgFound = UiText("%1 circuit(s) trouvé(s).", "%1 circuit(s) found.");
    F.MsgNoTrace = UiText("Aucune trajectoire n'est ouverte pour recevoir le circuit.",
                          "No trace is open to receive the circuit.");
    F.MsgRowLimit = UiText("Le nombre maximal de %1 circuits est atteint : la recherche est arrêtée.",
                           "The largest number of %1 circuits is reached: the search stopped.");
    return ApplyTexts(&F, StnCalcTexts);
}

void RegisterSearchTexts()
{
    RegisterLangRoutine(QStringLiteral("StnCalc"), [] {
        if (StnCalc) LangStnCalc(*StnCalc);
    });
}
