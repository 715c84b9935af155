#pragma once
// The options object, read from "Zephalon.ini" at start and written back at shutdown.
#include "model/Define.h"
#include <QString>
#include <array>

class TIniFile;

class TOpt
{
public:
    TOpt(); // every field at its default

    // Units and texts
    int32 UniteLatiLong = 1; // coordinate text: 1 degrees and minutes with hundredths, else d m s
    int32 UniteDistance = 0; // 0 km, 1 NM, 2 ML
    int32 UniteVitesse = 0;  // 0 km/h, 1 Kt, 2 MPH
    int32 UniteVario = 0;    // 0 m/s, 1 Kt, 2 Ft/min
    int32 UniteAltitude = 0; // 0 m, 1 Ft
    int32 Altitude = 0;      // altitude shown: 0 pressure, 1 GPS, 2 both
    int32 EarthModel = 0;    // 0 sphere, 1 WGS84 ("Earth_Model")

    // Sectors and FAI limits
    std::array<TSect, 6> Secteurs;    // presets by TSectIndex
    bool LigneEntreSecteur = true;    // task legs drawn between sector edges
    int32 MinTri0 = 28, MaxTri0 = 44; // percent, below MinDist1 km
    int32 MinDist1 = 750;             // km
    int32 MinTri1 = 25, MaxTri1 = 45; // percent, from MinDist1 km

    // Engine noise
    int32 EngineRelLevel = 0;   // pen widening starts at this level (0..999)
    int32 EngineAbsLevel = 500; // a fix at or above this level counts as engine running
    int32 EngineCoefWidth = 3;  // extra pen width at full engine noise

    // Scanned map
    bool FondCarte = false;          // draw the background map
    bool AutoSelectionCarte = false; // choose the map under the current point
    QString FichFondCarte;           // current map's name in "Liste_Cartes"

    // Last files
    QString FichTrajectoire;
    QString FichWayPoints;
    QString FichCircuit;
    QString FichZones;

    // Behaviour
    int32 AssocAuto = 0; // automatic association after opening: 0 ask, 1 never, 2 always
    bool AutoFit = true; // fit the plan view after opening a trace
    int32 SelWidth = 2;  // pen width of the selected part of the trace

    // Airspace display styles of the plan view (index = zone class)
    std::array<TCtp, 11> ZoneStyles;
};

// Sector presets given to a fresh options object: start and finish lines of 2 x 1000 m
// (a half disc, outer half-angle 90, closed), the FAI turn sector (90 degrees, 20 km) with a
// 500 m cylinder; the extended kinds have the same shapes.
std::array<TSect, 6> DefaultSecteurs();

// Reads the options and Colors from the INI file. A missing key, or a value outside the
// option's range, gives the default.
void LoadOptions(TOpt& O, const TIniFile& Ini);
void LoadOptions(); // Opt from IniFileName()
// Writes the options and Colors; on failure shows the write-failure message and returns false.
bool SaveOptions(const TOpt& O, TIniFile& Ini);
bool SaveOptions(); // Opt to IniFileName()

// The display colours of Colors, by index.
enum TColorIndex : int
{
    ciTrace = 0,        // the trace in the plan view
    ciSelection = 1,    // the selected part of the trace
    ciCursor = 2,       // the current-point marker
    ciWaypoint = 3,     // waypoints and their names
    ciSelWaypoint = 4,  // the selected waypoint's mark
    ciTask = 5,         // task legs and turn points
    ciSector = 6,       // observation zones of the turn points
    ciPlanBack = 7,     // plan view background
    ciPlanGrid = 8,     // plan view grid
    ciPlanText = 9,     // plan view texts and scale bar
    ciAltCurve = 10,    // profile: pressure altitude curve
    ciAltGpsCurve = 11, // profile: GPS altitude curve
    ciProfileBack = 12, // profile background
    ciProfileGrid = 13, // profile grid and time marks
    ciEngine = 14,      // engine-noise curve and marks
    ciOtherTrj = 15,    // the other open traces when overlaid
    ciLive = 16,        // the live segment of the receiver window
    ciReached = 17,     // passage marks of reached turn points
    ciSelTrn = 18,      // the selected turn point
    ciVarioCurve = 19,  // profile: vertical speed curve
};

// Default display colours (Windows colour integers), indexed by TColorIndex.
std::array<int32, 20> DefaultColors();
