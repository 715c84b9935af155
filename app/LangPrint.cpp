// Texts of the print dialog, the print preview and the print-progress box.
#include "app/LangPrint.h"

#include "app/Langage.h"
#include "print/Infoprnf.h"
#include "print/Preview.h"
#include "print/Print.h"

namespace {

const TUiText PrintFormTexts[] = {
    {"", "Impression", "Print"},
    {"MainSheet", "Général", "General"},
    {"DrawSheet", "Styles de tracé", "Drawing styles"},
    {"PlanSheet", "Vue en plan", "Plan view"},
    {"CuttSheet", "Vue en coupe", "Cross-section"},
    {"WptSheet", "Way-points", "Waypoints"},
    {"TitleSheet", "Titre", "Title"},
    {"CloseBtn", "&Fermer", "&Close", "Ferme cette fenêtre sans imprimer.",
     "Closes this window without printing."},
    {"ViewBtn", "&Aperçu", "Pre&view", "Affiche l'aperçu avant impression.", "Shows the print preview."},
    {"PrintBtn", "&Imprimer", "&Print", "Imprime la vue choisie.", "Prints the chosen view."},
    {"VueGoupBox", "Vue à imprimer", "View to print"},
    {"VuePlanBtn", "&Vue en plan", "&Plan view", "Imprime la vue en plan.", "Prints the plan view."},
    {"VueCuttBtn", "V&ue en coupe", "&Cross-section", "Imprime la vue en coupe.",
     "Prints the cross-section."},
    {"VueDetailBtn", "&Les 2 vues et détails", "&Both views and details",
     "Imprime la vue en plan, la vue en coupe et les résultats du vol.",
     "Prints the plan, the cross-section and the results of the flight."},
    {"VueTaskBtn", "Circuit avec &détails", "&Task with details",
     "Imprime le circuit et ses points de virage.", "Prints the task and its turn points."},
    {"ListWptBtn", "Liste des &way-points", "&Waypoint list", "Imprime la liste des way-points.",
     "Prints the list of the waypoints."},
    {"OrientGroupBox", "Orientation", "Orientation"},
    {"PortraitBtn", "Portrait", "Portrait"},
    {"PaysageBtn", "Paysage", "Landscape"},
    {"MarginGroupBox", "Marges (mm)", "Margins (mm)"},
    {"TopEditLbl", "Haut", "Top"},
    {"BottomEditLbl", "Bas", "Bottom"},
    {"LeftEditLbl", "Gauche", "Left"},
    {"RightEditLbl", "Droite", "Right"},
    {"PrinterLbl", "Imprimante", "Printer"},
    {"PrinterList", nullptr, nullptr, "Choix de l'imprimante.", "Choice of the printer."},
    {"ConfigBtn", "&Configurer...", "&Set up...", "Configuration de l'imprimante.", "Sets the printer up."},
    {"NbCopyLbl", "Nombre de copies", "Copies"},
    {"MonochBtn", "Impression monochrome", "Monochrome printing",
     "Imprime tout en noir (plus rapide, sans carte de fond).",
     "Prints everything in black (faster, without scanned maps)."},
    {"CtpGrid", nullptr, nullptr, "Choisir le style à modifier.", "Choose the style to change."},
    {"CtpStlLst", nullptr, nullptr, "Style et épaisseur du trait.", "Style and width of the line."},
    {"CtpColBtn", "Couleur...", "Colour...", "Couleur du style choisi.", "Colour of the chosen style."},
    {"CtpFntBtn", nullptr, nullptr, "Police du style choisi.", "Font of the chosen style."},
    {"CtpDrwBox", "Dessiner", "Draw", "Dessine ou non les éléments de ce style.",
     "Whether the items of this style are drawn."},
    {"PrnDefBtn", "Par &défaut", "&Defaults", "Remet les marges et les styles par défaut.",
     "Puts the margins and the styles back to their defaults."},
    {"MapPlanBtn", "Carte de fond dans la vue en plan", "Scanned map in the plan view"},
    {"MapSectBtn", "Carte de fond dans les secteurs", "Scanned map in the turn-point cells"},
    {"SmpPlanBtn", "Zones aériennes", "Airspace zones"},
    {"EchPlanBtn", "Echelle des distances", "Distance scale"},
    {"RepPlanBtn", "Méridiens et parallèles", "Meridians and parallels"},
    {"AdjPlanBtn", "Ajustée comme à l'écran", "Fitted like the screen"},
    {"EchPlanLbl", "Echelle 1/", "Scale 1/"},
    {"EchPlanBox", nullptr, nullptr, "Dénominateur de l'échelle de la vue en plan.",
     "Denominator of the plan view's scale."},
    {"CtrPlanBtn", "Centrée comme à l'écran", "Centred like the screen"},
    {"CenterLbl", "Centre de la vue", "Centre of the view"},
    {"CtrLatiLbl", "Latitude", "Latitude"},
    {"CtrLongLbl", "Longitude", "Longitude"},
    {"PrnRepSizeLbl", "Taille des marques des way-points", "Size of the waypoint marks"},
    {"PrnNbMeridLbl", "Nombre minimum de méridiens / parallèles", "Least number of meridians / parallels"},
    {"EchAltiBtn", "Echelle des altitudes", "Altitude scale"},
    {"EchDateBtn", "Echelle des heures", "Time scale"},
    {"AdjCuttBtn", "Ajustée comme à l'écran", "Fitted like the screen"},
    {"EchAltiLbl", "Altitudes (mm par km)", "Altitudes (mm per km)"},
    {"EchDateLbl", "Temps (mm par heure)", "Time (mm per hour)"},
    {"HeightCuttLbl", "Hauteur du tracé", "Height of the drawing"},
    {"HeightCuttLbl2", "mm", "mm"},
    {"HeightCuttLbl3", "(hors échelle des heures)", "(without the time scale)"},
    {"MrkWptOnly", "Seulement les way-points repérés", "Only the marked waypoints"},
    {"NomFichBtn", "Nom du fichier", "File name"},
    {"DateBtn", "Date", "Date"},
    {"PltBtn", "Pilote", "Pilot"},
    {"PlnBtn", "Planeur", "Glider"},
    {"CmntBtn", "Commentaire", "Comment"},
    {"CmntEdit", nullptr, nullptr, "Commentaire de cette impression.", "Comment of this print."},
    {"DefCmntLbl", "Commentaire par défaut", "Default comment"},
    {"DefCmntEdit", nullptr, nullptr, "Commentaire proposé à chaque impression.",
     "Comment offered at every print."},
};

const TUiText PreviewTexts[] = {
    {"Quitte", "Fermer", "Close"},
    {"ZoomPlus", "Zoom +", "Zoom in", "Effectue en zoom avant.", "Zooms in."},
    {"ZoomMoins", "Zoom -", "Zoom out", "Effectue un zoom arrière.", "Zooms out."},
    {"ZoomZero", "Ajuster", "Fit", "Adapte le zoom à la taille de la fenêtre.",
     "Fits the zoom to the window."},
    {"Refresh", "Régénérer", "Refresh", "Régénère l'affichage de la fenêtre.", "Draws the window again."},
    {"Imprime", "Imprimer", "Print", "Imprime et ferme cette fenêtre.", "Prints and closes this window."},
    {"Assoc", "Association", "Association",
     "Associe automatiquement les points de virage aux points atteints.",
     "Associates the turn points with the reached points automatically."},
};

const TUiText InfoPrnTexts[] = {
    {"", "Impression", "Printing"},
    {"EscBtn", "Annuler", "Cancel", "Arrête l'impression.", "Stops the printing."},
};

} // namespace

QStringList LangPrintForm(TPrintForm& F)
{
    auto& m = F.MsgTexts;
    m.AssocQuestion =
        UiText("Des points de virage du circuit\rne sont pas associés à des points de virages réalisés.\r"
               "Effectuer une association automatique ?\r(Annuler pour annuler l'impression )",
               "Some turn points of the task\rare not associated with reached points.\r"
               "Associate them automatically?\r(Cancel to cancel the printing)");
    m.WptModified = UiText("La liste des way-points a été modifiée depuis sa dernière sauvegarde.\r"
                           "Continuer l'impression ?",
                           "The waypoint list was changed since it was last saved.\rGo on printing?");
    m.MapsCleared =
        UiText("Cette option accélère l'impression mais ne permet pas l'impresion des cartes de fond.\r"
               "Les options \"Carte de fond ...\" ont été désactivées dans l'onglet \"Vue en plan\".",
               "This option makes printing faster but prints no scanned map.\r"
               "The \"Scanned map ...\" options were unchecked on the \"Plan view\" sheet.");
    m.MonochUnchecked =
        UiText("Décocher l'impression monochrome nécessite plus de resssource et ralenti l'impression.",
               "Printing without monochrome takes more resources and slows the printing.");
    m.MonochCleared =
        UiText("Les options \"Carte de fond ...\" nécessite plus de resssource et ralentissent "
               "l'impression.\rL'option \"Impression monochrome\" a été désactivée dans l'onglet "
               "\"Général\".",
               "The \"Scanned map ...\" options take more resources and slow the printing.\r"
               "The \"Monochrome printing\" option was unchecked on the \"General\" sheet.");
    m.BadCoord = UiText("Données saisies non valides.", "Invalid data entered.");
    F.CtpGridTitles = {UiText("Elément", "Item"), UiText("Style", "Style"), UiText("Tracer", "Draw")};
    return ApplyTexts(&F, PrintFormTexts);
}

QStringList LangPreviewForm(TPreviewForm& F)
{
    F.CaptionPrev = UiText("Aperçu avant impression", "Print preview");
    F.CaptionCtrl = UiText("Vérification secteur points de virage", "Turn-point sector check");
    F.QuitteHintPrev =
        UiText("Fermeture de cet aperçu sans imprimer.", "Closes this preview without printing.");
    F.QuitteHintCtrl = UiText("Fermeture de cette fenêtre de vérification.", "Closes this check window.");
    const QStringList missing = ApplyTexts(&F, PreviewTexts);
    F.SetMode(F.SectorCheck());
    return missing;
}

QStringList LangInfoPrnForm(TInfoPrnForm& F)
{
    return ApplyTexts(&F, InfoPrnTexts);
}

void RegisterPrintLangRoutines()
{
    RegisterLangRoutine(QStringLiteral("PrintForm"), [] {
        if (PrintForm) LangPrintForm(*PrintForm);
        if (PreviewForm) LangPreviewForm(*PreviewForm);
        if (InfoPrnForm) LangInfoPrnForm(*InfoPrnForm);
    });
}
