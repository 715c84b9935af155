#include "app/LangTools.h"

#include "app/Langage.h"
#include "dialogs/TestForm.h"
#include "dialogs/WebMap.h"

namespace {

const TUiText WebMapFormTexts[] = {
    {"ViewTab", "Google &Map", "&Map"},
    {"OptionTab", "&Options", "&Options"},
    {"MapTypeGroup", "&Type de carte", "Map &type"},
    {"MapTypeItem0", "Normal", "Normal"},
    {"MapTypeItem1", "Satellite", "Satellite"},
    {"MapTypeItem2", "Hybrid", "Hybrid"},
    {"ZoomLbl", " -   &Zoom par défaut   +", " -   Default &zoom   +"},
    {"TrjGroup", "Tr&acé trajectoire", "Tr&ack line"},
    {"ColorTrjBtn", "&Couleur", "&Colour"},
    {"TrjWideBarLbl", "-   &Epaisseur tracé   +", "-   Line &width   +"},
    {"NbTrjRecBarLbl", "&Portion trajectoire tracée", "&Portion of the track drawn"},
    {"NbTrjRecBarMaxLbl", "Tracé plus long / affichage moins rapide", "Longer line / slower display"},
    {"NbTrjRecBarMinLbl", "Tracé plus court / affichage plus rapide", "Shorter line / faster display"},
    {"RefreshBtn", "&Rafraîchir", "&Refresh", "Régénère l'affichage de la carte Google Map",
     "Draws the map again."},
    {"CloseBtn", "&Fermer", "&Close", "Ferme cette fenêtre Google Map.", "Closes this map window."},
};

const TUiText FormTestTexts[] = {
    {"", "Test", "Test"},
    {"PosGroup", "Positions", "Positions"},
    {"DistGroup", "Distances et caps", "Distances and courses"},
    {"DestGroup", "Point de destination (km, degrés)", "Destination point (km, degrees)"},
    {"AngleGroup", "Angle d'un vecteur", "Angle of a vector"},
    {"UtmGroup", "UTM", "UTM"},
    {"TrjGroup", "Trajectoire et circuit", "Track and task"},
    {"XmlGroup", "Fichier XML", "XML file"},
    {"Button1", "Calculer", "Compute"},
    {"Button2", "Destination", "Destination"},
    {"Button3", "Angle", "Angle"},
    {"Button4", "Insérer un point", "Insert a fix"},
    {"ToUTM", "Vers UTM", "To UTM"},
    {"FromUTM", "Depuis UTM", "From UTM"},
    {"DistTrj", "Longueur sélection", "Selection length"},
    {"StnToTrj", "Circuit -> trajectoire", "Task -> track"},
    {"InOut", "Zone", "Airspace"},
    {"OpenXml", "Parcourir XML", "Walk XML"},
    {"StrToLatLongBtn", "Degrés -> entier", "Degrees -> integer"},
};

} // namespace

QStringList LangWebMapForm(TWebMapForm& F)
{
    F.CaptionText = UiText("Visualisation carte web", "Web map view");
    F.setWindowTitle(F.CaptionText);
    return ApplyTexts(&F, WebMapFormTexts);
}

QStringList LangFormTest(TFormTest& F)
{
    return ApplyTexts(&F, FormTestTexts);
}
