#include "app/LangMaps.h"

#include "app/Langage.h"
#include "dialogs/Editpos.h"
#include "dialogs/Help.h"
#include "dialogs/Inimap.h"
#include "dialogs/Reachmap.h"

namespace {

// The chooser's caption depends on its mode and is set when it opens.
const TUiText ReachMapTexts[] = {
    {"Edit", nullptr, nullptr, "Zone de saisie des premiers caractères de la carte à sélectionner.",
     "Type the first characters of the map to select."},
    {"ListBox", nullptr, nullptr,
     "Liste des cartes pouvant être sélectionnées (correspondant au(x) premier(s) caractère(s) ci-dessus).",
     "Maps that can be selected (matching the first character(s) above)."},
    {"OKBtn", "OK", "OK", "Utilise la carte sélectionnée comme fond pour la vue en plan.",
     "Uses the selected map as background of the plan view."},
    {"EscBtn", "Annuler", "Cancel", "Ne change pas la carte de fond sélectionnée.",
     "Leaves the background map unchanged."},
    {"ExitBtn", "Fermer", "Close", "Ferme cette fenêtre d'installation des cartes.",
     "Closes this map installation window."},
    {"HelpBtn", "&Aide", "&Help", "Aide sur la création et l'installation des cartes.",
     "Help on making and installing maps."},
    {"AddBtn", "&Ajouter", "&Add",
     "Définie une nouvelle carte et l'ajoute à la liste (le fichier *.bmp de la carte scannée doit être "
     "accessible).",
     "Defines a new map and adds it to the list (the scanned map's image file must be at hand)."},
    {"EditBtn", "&Modifier", "&Edit",
     "Modifie les paramètres de la carte sélectionnée (le fichier *.bmp de la carte scannée doit être "
     "accessible).",
     "Edits the selected map (the scanned map's image file must be at hand)."},
    {"RInstBtn", "&Re-Installer", "&Re-install",
     "Ajoute une (des) carte(s) déjà définie à la liste (les fichiers *.bmp et *.ini doivent être "
     "accessibles).",
     "Adds maps already defined to the list (their image and *.ini files must be at hand)."},
    {"DelBtn", "&Supprimer", "&Remove",
     "Supprime la carte sélectionnée de la liste (les fichiers *.bmp et *.ini de la carte ne sont pas "
     "supprimés).",
     "Removes the selected map from the list (its image and *.ini files are not deleted)."},
    {"SelMapLbl", "Carte sélectionnée :", "Selected map:"},
    {"SelMemo", nullptr, nullptr, "Principaux paramètres de la carte sélectionnée.",
     "Main facts of the selected map."},
    {"AllMapBtn", "Toutes", "All", "Affiche la liste de toutes les cartes installées.",
     "Lists every installed map."},
    {"RepMapBtn", "Répertoire", "Folder",
     "Affiche la liste des cartes installées situées dans le répertoire actif.",
     "Lists the installed maps of the active folder."},
    {"OtherMapBtn", "Autres", "Others",
     "Affiche la listes des cartes installées autres que celles du répertoire actif.",
     "Lists the installed maps of the other folders."},
    {"SelDirLbl", "Répertoire actif (= rép. carte sélect.) :", "Active folder (= selected map's folder):",
     "Répertoire dans lequel les cartes sont cherchées en recherche automatique.",
     "Folder in which maps are looked for by the automatic choice."},
    {"DirName", nullptr, nullptr,
     "Répertoire dans lequel les cartes sont cherchées en recherche automatique.",
     "Folder in which maps are looked for by the automatic choice."},
};

const TUiText IniMapTexts[] = {
    {"OKBtn", "OK", "OK",
     "Valide la modification des paramètres de la carte et ferme cette fenêtre d'édition.",
     "Confirms the map's settings and closes this window."},
    {"EscBtn", "Annuler", "Cancel",
     "Ferme cette fenêtre d'édition des paramètres de la carte sans valider les modifications.",
     "Closes this window without keeping the changes."},
    {"HelpBtn", "&Aide", "&Help", "Aide sur la création et l'installation des cartes.",
     "Help on making and installing maps."},
    {"SectLbl", "Secteurs :", "Areas:"},
    {"CourbLbl", "Courbure :", "Curvature:"},
    {"CurvLatiBtn", "Parallèles", "Parallels", "Définition de la courbure des parallèles.",
     "Defines the curvature of the parallels."},
    {"CurvLongBtn", "Méridiens", "Meridians", "Définition de la courbure des méridiens.",
     "Defines the curvature of the meridians."},
    {"AffUtmBox", "Coordonnées", "Coordinates", "Format pour la saisie et affichage des coordonnées.",
     "Format of the coordinates typed and shown."},
    {"LatLongBtn", "Lati/Long", "Lat/Long", "Saisie et affichage des coordonnées en Latitude/Longitude.",
     "Coordinates typed and shown as latitude and longitude."},
    {"UtmBtn", "UTM", "UTM", "Saisie et affichage des coordonnées au format UTM.",
     "Coordinates typed and shown as UTM."},
};

// The two latitude/longitude labels keep their captions.
const TUiText PosEditTexts[] = {
    {"", "Entrée position", "Position"},
    {"LatiEdit", nullptr, nullptr, "Latitude précise du point cliqué sur la carte.",
     "Exact latitude of the point clicked on the map."},
    {"LongEdit", nullptr, nullptr, "Longitude précise du point cliqué sur la carte.",
     "Exact longitude of the point clicked on the map."},
    {"UtmZoneLbl", "Zone UTM", "UTM zone"},
    {"UtmZoneEdit", nullptr, nullptr, "Zone UTM (exemple 32T).", "UTM zone (for example 32T)."},
    {"UtmNorthLbl", "Coord. N/S (x)", "Northing (x)"},
    {"UtmNorthEdit", nullptr, nullptr, "Coordonée UTM Nord/Sud (x).", "UTM northing (x)."},
    {"UtmEastLbl", "Coord. E/W (y)", "Easting (y)"},
    {"UtmEastEdit", nullptr, nullptr, "Coordonée UTM Est/Ouest (y).", "UTM easting (y)."},
    {"OKBtn", "OK", "OK", "Ferme la fenêtre en validant les données.",
     "Closes the window, keeping the data."},
    {"EscBtn", "Annuler", "Cancel", "Ferme la fenêtre sans valider les données.",
     "Closes the window without keeping the data."},
};

const TUiText HelpTexts[] = {
    {"", "Aide de Zephalon", "Zephalon help"},
    {"OKBtn", "OK", "OK", "Ferme cette fenêtre d'aide de Zephalon.", "Closes this Zephalon help window."},
};

} // namespace

QStringList LangReachMapForm(TReachMapForm& F)
{
    return ApplyTexts(&F, ReachMapTexts);
}

QStringList LangIniMapForm(TIniMapForm& F)
{
    QStringList missing = ApplyTexts(&F, IniMapTexts);
    if (F.HelpWindow) missing += LangHelpForm(*F.HelpWindow);
    return missing;
}

QStringList LangPosEdit(TPosEdit& F)
{
    return ApplyTexts(&F, PosEditTexts);
}

QStringList LangHelpForm(THelpForm& F)
{
    return ApplyTexts(&F, HelpTexts);
}
