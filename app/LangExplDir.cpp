#include "app/LangExplDir.h"

#include "app/Langage.h"
#include "dialogs/ExplDir.h"

#include <QPushButton>

namespace {

const TUiText DirExplorTexts[] = {
    {"", "Explorateur de fichier zph/igc", "zph/igc file explorer"},
    {"BrwsFolderBtn", "Explorer réseau", "Browse network", "Explore les répertoires locaux et réseaux.",
     "Browses the local and network folders."},
    {"OpenGrp", "Double-clique ouvre", "Double click opens",
     "Sélectionne l'action pour le double clic sur le nom du fichier.",
     "Chooses what a double click on a file name does."},
    {"TrjRdoBtn", "Trajectoire + circuit", "Track + task",
     "Le double clic ouvre la trajectoire avec son circuit.",
     "A double click opens the track with its task."},
    {"SwpRdoBtn", "Way-points", "Waypoints", "Le double clic ouvre les way-points.",
     "A double click opens the waypoints."},
    {"StnRdoBtn", "Circuit", "Task", "Le double clic ouvre le circuit.", "A double click opens the task."},
    {"OpenTrnBtn", "Affecte circuit courant", "Apply current task"},
    {"CloseBtn", "&Fermer", "&Close", "Ferme cette fenêtre de recherche des points de virage.",
     "Closes this window."},
    {"ClsAllTrjBtn", "Fer&mer traj.", "Close &tracks", "Ferme toutes les trajectoires ouvertes.",
     "Closes every open track."},
    {"OpenTrjBtn", "&Ouvrir traj.", "&Open track",
     "Ouvre la trajectoire contenu dans le fichier sélectionné.", "Opens the track of the selected file."},
    {"OpenSwpBtn", "Ouvrir &wpt.", "Open &wpt.", "Ouvre les way-points contenus dans le fichier sélectionné.",
     "Opens the waypoints of the selected file."},
    {"OpenStnBtn", "Ouvre &circ.", "Open t&ask", "Ouvre le circuit contenu dans le fichier sélectionné.",
     "Opens the task of the selected file."},
    {"SortBtn", "&Trier", "&Sort", "Trie les fichiers suivant n'importe quelle colonne.",
     "Sorts the files by any column."},
    {"RefreshBtn", "&Rafraîchir", "&Refresh", "Rafraîchi les données du répertoire affiché.",
     "Reads the folder shown again."},
    {"StopReadBtn", "Arrêter", "Stop", "Arrête la lecture des résumés.", "Stops reading the summaries."},
};

} // namespace

QStringList LangDirExplor(TDirExplor& F)
{
    F.OpenTrnHintFmt = UiText("Affecte le circuit courant \"%1\" aux trajectoires après leur ouverture.",
                              "Applies the current task \"%1\" to the tracks after opening them.");
    F.NoSwpText = UiText("Un fichier way-points doit être ouvert.", "A waypoints file must be opened.");
    F.UnreadableText = UiText("Impossible de lire le répertoire %1", "The folder %1 cannot be read.");
    return ApplyTexts(&F, DirExplorTexts);
}
