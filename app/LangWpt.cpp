// Texts of the waypoint windows and of the trace-part window.
#include "app/LangWpt.h"

#include "app/Langage.h"
#include "app/Main.h"
#include "dialogs/Editswp.h"
#include "dialogs/Editwpt.h"
#include "dialogs/Reachwpt.h"
#include "dialogs/SelTrj.h"

namespace {

const TUiText SwpEditTexts[] = {
    {"SwpGrid", nullptr, nullptr, "Zone d'édition des way-points.", "Waypoint editing area."},
    {"OKBtn", "OK", "OK", "Ferme la fenêtre d'édition en prenant en compte les modifications.",
     "Closes the editing window, keeping the changes."},
    {"EscBtn", "Annuler", "Cancel",
     "Ferme la fenêtre d'édition en ne prenant pas en compte les modifications.",
     "Closes the editing window without the changes."},
    {"SortBtn", "&Trier", "S&ort", "Trie les way-points suivant la colonne choisie.",
     "Sorts the waypoints by the chosen column."},
    {"NearBtn", "&Proches", "&Nearest", "Trie les way-points par proximité les uns des autres.",
     "Orders the waypoints by their nearness to one another."},
    {"InsBtn", "&Insérer", "&Insert", "Insère une ligne au-dessus de la position du curseur.",
     "Inserts a row above the cursor's position."},
    {"DelBtn", "&Suppr.", "&Delete", "Supprime la ligne où se trouve le curseur.",
     "Deletes the cursor's row."},
};

const TUiText WptEditTexts[] = {
    {"", "Création way-point", "Waypoint creation"},
    {"NameLbl", "Nom", "Name"},
    {"NameEdit", nullptr, nullptr, "Nom du way-point à créer.", "Name of the waypoint to create."},
    {"LatiLbl", "Latitude", "Latitude"},
    {"LatiEdit", nullptr, nullptr, "Latitude du way-point à créer.", "Latitude of the waypoint to create."},
    {"LongLbl", "Longitude", "Longitude"},
    {"LongEdit", nullptr, nullptr, "Longitude du way-point à créer.", "Longitude of the waypoint to create."},
    {"AltiLbl", "Altitude", "Altitude"},
    {"AltiEdit", nullptr, nullptr, "Altitude du way-point à créer.", "Altitude of the waypoint to create."},
    {"AttrLbl", "Type(s)", "Type(s)"},
    {"AttrEdit", nullptr, nullptr,
     "Types (T=turnpoint, A=airfield, L=landing, S=start, F=finish, H=home et R=restricted) du way-point à "
     "créer.",
     "Types (T=turnpoint, A=airfield, L=landing, S=start, F=finish, H=home and R=restricted) of the waypoint "
     "to "
     "create."},
    {"CmntLbl", "Commentaire", "Comment"},
    {"CmntEdit", nullptr, nullptr, "Commentaire concernant le way-point à créer.",
     "Comment about the waypoint to create."},
    {"OKBtn", "OK", "OK", "Ferme la fenêtre de création en ajoutant le way-point.",
     "Closes the creation window, adding the waypoint."},
    {"EscBtn", "Annuler", "Cancel", "Ferme la fenêtre de création sans ajouter de way-point.",
     "Closes the creation window without adding a waypoint."},
};

const TUiText TrjSelTexts[] = {
    {"", "Sélection d'une partie de trajectoire", "Selection of a part of the track"},
    {"DebBtn", "&Début", "&Start", "Prend la position actuelle du point courant comme début de la sélection.",
     "Takes the current point as the start of the selection."},
    {"FinBtn", "&Fin", "&End", "Prend la position actuelle du point courant comme fin de la sélection.",
     "Takes the current point as the end of the selection."},
    {"ToutBtn", "&Toute la traj.", "&Whole track", "Sélectionne l'ensemble de la trajectoire.",
     "Selects the whole track."},
    {"DebLbl", nullptr, nullptr, "Heure de début de sélection.", "Start time of the selection."},
    {"FinLbl", nullptr, nullptr, "Heure de fin de sélection.", "End time of the selection."},
    {"OKBtn", "OK", "OK", "Valide la sélection la nouvelle sélection.", "Accepts the new selection."},
    {"EscBtn", "Annuler", "Cancel", "Ne change pas la sélection.", "Leaves the selection unchanged."},
};

const TUiText ReachWptTexts[] = {
    {"", "Atteindre way-point", "Go to waypoint"},
    {"Edit", nullptr, nullptr, "Zone de saisie des premiers caractères du point à sélectionner.",
     "Type the first characters of the point to select."},
    {"ListBox", nullptr, nullptr,
     "Liste des points pouvant être sélectionnés (correspondant au(x) premier(s) caractère(s) ci-dessus).",
     "Points that can be selected (matching the first character(s) above)."},
    {"OKBtn", "OK", "OK", "Sélectionne le point (si un seul point est repéré).",
     "Selects the point (when a single point is found)."},
    {"EscBtn", "Annuler", "Cancel", "Ne change pas le point sélectionné.",
     "Leaves the selected point unchanged."},
};

const TUiText ActionTexts[] = {
    {"WptMenu", "&Way-points", "&Waypoints"},
    {"EditeTousWpt", "&Editer tous les way-points...", "&Edit all waypoints...",
     "Edite tous les way-points dans une grille.", "Edits all the waypoints in a grid."},
    {"EditeWptRep", "Editer les way-points &repérés...", "Edit the &marked waypoints...",
     "Edite les way-points repérés dans une grille.", "Edits the marked waypoints in a grid."},
    {"CreeWpt", "&Créer un way-point...", "&Create a waypoint...",
     "Crée un way-point à la position de la souris.", "Creates a waypoint at the mouse position."},
    {"PointTrjEnWpt", "&Point courant en way-point...", "Current &point as waypoint...",
     "Crée un way-point au point courant de la trajectoire.",
     "Creates a waypoint at the current point of the track."},
    {"AtteindreWpt", "&Atteindre way-point...", "&Go to waypoint...",
     "Sélectionne un way-point par les premiers caractères de son nom.",
     "Selects a waypoint by the first characters of its name."},
    {"SelPartieTrj", "&Sélection d'une partie de trajectoire...", "&Select a part of the track...",
     "Choisit le début et la fin de la partie sélectionnée de la trajectoire.",
     "Chooses the start and end of the selected part of the track."},
};

} // namespace

QStringList LangSwpEdit(TSwpEdit& F)
{
    F.CaptionAll = UiText("Edition de tous les way-points", "Editing all waypoints");
    F.CaptionMarked = UiText("Edition des way-points répérés", "Editing the marked waypoints");
    F.setWindowTitle(F.MarkedOnly ? F.CaptionMarked : F.CaptionAll);
    F.SwpEditSetTitles();
    return ApplyTexts(&F, SwpEditTexts);
}

QStringList LangWptEdit(TWptEdit& F)
{
    return ApplyTexts(&F, WptEditTexts);
}

QStringList LangTrjSel(TTrjSel& F)
{
    return ApplyTexts(&F, TrjSelTexts);
}

QStringList LangReachWptForm(TReachWptForm& F)
{
    return ApplyTexts(&F, ReachWptTexts);
}

QStringList LangWptActions(TMainForm& F)
{
    return ApplyTexts(&F, ActionTexts);
}

void RegisterWptActionTexts()
{
    RegisterLangRoutine(QStringLiteral("WptActions"), [] {
        if (MainForm) LangWptActions(*MainForm);
    });
}

void RegisterWptLangRoutines()
{
    RegisterLangRoutine(QStringLiteral("SwpEdit"), [] {
        if (SwpEdit) LangSwpEdit(*SwpEdit);
    });
    RegisterLangRoutine(QStringLiteral("WptEdit"), [] {
        if (WptEdit) LangWptEdit(*WptEdit);
    });
    RegisterLangRoutine(QStringLiteral("TrjSel"), [] {
        if (TrjSel) LangTrjSel(*TrjSel);
    });
    RegisterLangRoutine(QStringLiteral("ReachWptForm"), [] {
        if (ReachWptForm) LangReachWptForm(*ReachWptForm);
    });
}
