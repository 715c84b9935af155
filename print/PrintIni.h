#pragma once
// The print settings: what the print dialog's controls hold, kept in section "Impression" of
// "Zephalon.ini". The page code and the renderers read them from this struct, never from the
// file; the dialog moves them in and out of its controls.
#include "model/Define.h"

#include <QPageSize>
#include <QString>
#include <array>

class TIniFile;

// Views of the printed page, the codes of the dialog's view buttons.
enum TPrnView : uint8
{
    pvPlan = 1,
    pvCutt = 2,
    pvDetail = 3,
    pvTask = 4,
    pvWptList = 5
};

// Indexes of the print styles.
enum TPrnStyleIndex : int
{
    psTrace = 0,
    psWaypoints = 1,
    psTask = 2,
    psOther = 3 // texts, frames, scales; its font is the page font
};

extern const std::array<QString, 4> PrnStyleNames;
extern const std::array<TCtp, 4> PrnStyleDefaults;

// Ranges of the dialog's edits; values read from the file are held to them.
constexpr int PrnMarginMin = 2, PrnMarginMax = 30;
constexpr int PrnCuttHeightMin = 30, PrnCuttHeightMax = 200;
constexpr int PrnRepSizeMin = 3, PrnRepSizeMax = 15;
constexpr int PrnNbMeridMin = 1, PrnNbMeridMax = 9;
constexpr int PrnFontSizeMin = 5, PrnFontSizeMax = 15;
constexpr int PrnCopiesMin = 1, PrnCopiesMax = 99;

struct TPrintSettings
{
    // Title pieces
    bool NomFichBtn = true; // file name
    bool DateBtn = true;
    bool PltBtn = true; // pilot
    bool PlnBtn = true; // glider
    bool CmntBtn = true;
    QString CmntEdit;    // comment of this print (never saved)
    QString DefCmntEdit; // default comment ("Titre")

    bool MonochBtn = true;
    // Plan
    bool MapPlanBtn = false; // scanned map in the plan view
    bool MapSectBtn = false; // scanned map in the turn-point cells
    bool SmpPlanBtn = true;  // airspace zones
    bool EchPlanBtn = true;  // distance scale
    bool RepPlanBtn = true;  // meridians and parallels
    bool AdjPlanBtn = true;  // fitted like the screen
    QString EchPlanBox = QStringLiteral("1/1000000");
    // Cross-section
    bool EchAltiBtn = true;
    bool EchDateBtn = true;
    bool AdjCuttBtn = true;
    QString EchAltiBox = QStringLiteral("50"); // mm per km
    QString EchDateBox = QStringLiteral("20"); // mm per hour
    int32 HauteurCoupe = 100;                  // printed cross-section height, mm

    int PrnNbMeridEdit = 1; // least number of meridians or parallels
    int TopEdit = 10, BottomEdit = 10, LeftEdit = 10, RightEdit = 10; // margins, mm
    int PrnRepSizeEdit = 7; // waypoint mark size, hundredths of an inch

    std::array<TCtp, 4> PrnStyles = PrnStyleDefaults;
    std::array<TCtp, 11> PrnZoneStyles; // by zone class; entry 0 unused

    // Held by the dialog only (not in the file)
    uint8 PrnView = pvPlan;
    int HeightCutt = 100; // the spin edit of the cross-section height, mm (30..200)
    bool MrkWptOnly = false;
    bool CtrPlanBtn = false; // centred like the screen
    bool PortraitBtn = true; // else landscape
    int NbCopy = 1;
    QString PrinterName;              // entry chosen in the printer list
    QPageSize Paper;                  // chosen in the printer set-up; invalid: the printer's own
    QString CtrLatiEdit, CtrLongEdit; // centre of the plan at the chosen scale

    TPrintSettings();
};

extern const QString PrintIniSection; // "Impression"

// Reads the section; a missing file or key gives the default, a value that is not a number
// the default, a number outside its edit's range the nearest bound.
void LoadIni(TPrintSettings& S, const TIniFile& Ini);
void LoadIni(TPrintSettings& S); // from IniFileName()
// Writes the section (the comment of this print is not kept). On failure shows the message
// naming the file and returns false; S is unchanged either way.
bool SaveIni(const TPrintSettings& S, TIniFile& Ini);
bool SaveIni(const TPrintSettings& S); // to IniFileName()
