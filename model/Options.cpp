// The options object, its defaults and its sections of "Zephalon.ini".
#include "model/Options.h"

#include "model/Calc.h"
#include "platform/IniFile.h"
#include "platform/Msg.h"
#include "platform/ProgramDir.h"

#include <functional>
#include <vector>

std::array<TSect, 6> DefaultSecteurs()
{
    // Lines: a half disc of radius 1000 m whose straight edge is the line (outer half-angle 90),
    // drawn open (Zone_Fermee 1: the arc behind the line is left out).
    TSect line;
    line.Type_Sect = 1;
    line.Rayon_Int = 0;
    line.Rayon_Ext = 1000;
    line.Angle_Int = 0;
    line.Angle_Ext = 90;
    line.Zone_Fermee = 1;
    // Turn: the FAI sector (90 degrees, 20 km) with a 500 m cylinder (inner half-angle 0 is a
    // full circle), drawn closed.
    TSect turn;
    turn.Type_Sect = 1;
    turn.Rayon_Int = 500;
    turn.Rayon_Ext = 20000;
    turn.Angle_Int = 0;
    turn.Angle_Ext = 45;
    turn.Zone_Fermee = 0;
    return {line, turn, line, line, turn, line};
}

std::array<int32, 20> DefaultColors()
{
    // Windows colour integers: blue * 65536 + green * 256 + red.
    constexpr int32 Black = 0x000000, White = 0xFFFFFF, Red = 0x0000FF, Blue = 0xFF0000, Green = 0x008000,
                    Lime = 0x00FF00, Navy = 0x800000, Purple = 0x800080, Fuchsia = 0xFF00FF,
                    Silver = 0xC0C0C0, Gray = 0x808080, Olive = 0x008080, Maroon = 0x000080, Teal = 0x808000,
                    Aqua = 0xFFFF00;
    return {
        Blue,    // ciTrace
        Red,     // ciSelection
        Fuchsia, // ciCursor
        Green,   // ciWaypoint
        Red,     // ciSelWaypoint
        Navy,    // ciTask
        Purple,  // ciSector
        White,   // ciPlanBack
        Silver,  // ciPlanGrid
        Black,   // ciPlanText
        Blue,    // ciAltCurve
        Olive,   // ciAltGpsCurve
        White,   // ciProfileBack
        Silver,  // ciProfileGrid
        Maroon,  // ciEngine
        Gray,    // ciOtherTrj
        Lime,    // ciLive
        Teal,    // ciReached
        Aqua,    // ciSelTrn
        Green,   // ciVarioCurve
    };
}

TOpt::TOpt() : Secteurs(DefaultSecteurs())
{
    // Copied at run time (never during static initialisation, where the table of another
    // translation unit may not be built yet).
    ZoneStyles = ZoneStyleDefaults;
}

namespace {

using TColors = std::array<int32, 20>;

// One INI key of the options. Load and Save both walk this table, so that they cannot drift
// apart. Integer values outside [Min, Max] read as the default.
struct TOptKey
{
    enum TKind
    {
        Int,
        Bool,
        Str
    };
    QString Section;
    QString Key;
    TKind Kind = Int;
    int32 Min = 0, Max = 0;
    std::function<int32(const TOpt&, const TColors&)> Get; // Int and Bool
    std::function<void(TOpt&, TColors&, int32)> Set;
    QString TOpt::*Text = nullptr; // Str
};

const QString SecOptions = QStringLiteral("Options");
const QString SecSecteurs = QStringLiteral("Secteurs");
const QString SecFai = QStringLiteral("FAI");
const QString SecCouleurs = QStringLiteral("Couleurs");
const QString SecZones = QStringLiteral("Zones");
const QString SecFichiers = QStringLiteral("Fichiers");

constexpr int32 MaxColor = 0xFFFFFF;

// An integer reached through an accessor (sector presets, zone styles, colours).
template <class Ref>
TOptKey RefKey(const QString& sec, const QString& key, int32 mn, int32 mx, Ref ref,
               TOptKey::TKind kind = TOptKey::Int)
{
    TOptKey k;
    k.Section = sec;
    k.Key = key;
    k.Kind = kind;
    k.Min = mn;
    k.Max = mx;
    k.Get = [ref](const TOpt& o, const TColors& c) {
        return int32(ref(const_cast<TOpt&>(o), const_cast<TColors&>(c)));
    };
    k.Set = [ref](TOpt& o, TColors& c, int32 v) {
        auto& field = ref(o, c);
        field = static_cast<std::remove_reference_t<decltype(field)>>(v);
    };
    return k;
}

TOptKey IntKey(const QString& sec, const QString& key, int32 TOpt::*m, int32 mn, int32 mx)
{
    return RefKey(sec, key, mn, mx, [m](TOpt& o, TColors&) -> int32& { return o.*m; });
}

TOptKey BoolKey(const QString& sec, const QString& key, bool TOpt::*m)
{
    return RefKey(
        sec, key, 0, 1, [m](TOpt& o, TColors&) -> bool& { return o.*m; }, TOptKey::Bool);
}

TOptKey StrKey(const QString& sec, const QString& key, QString TOpt::*m)
{
    TOptKey k;
    k.Section = sec;
    k.Key = key;
    k.Kind = TOptKey::Str;
    k.Text = m;
    return k;
}

std::vector<TOptKey> BuildKeys()
{
    std::vector<TOptKey> t;
    // Units and display
    t.push_back(IntKey(SecOptions, QStringLiteral("Unite_LatiLong"), &TOpt::UniteLatiLong, 0, 2));
    t.push_back(IntKey(SecOptions, QStringLiteral("Unite_Distance"), &TOpt::UniteDistance, 0, 2));
    t.push_back(IntKey(SecOptions, QStringLiteral("Unite_Vitesse"), &TOpt::UniteVitesse, 0, 2));
    t.push_back(IntKey(SecOptions, QStringLiteral("Unite_Vario"), &TOpt::UniteVario, 0, 2));
    t.push_back(IntKey(SecOptions, QStringLiteral("Unite_Altitude"), &TOpt::UniteAltitude, 0, 1));
    t.push_back(IntKey(SecOptions, QStringLiteral("Altitude"), &TOpt::Altitude, 0, 2));
    t.push_back(IntKey(SecOptions, QStringLiteral("Earth_Model"), &TOpt::EarthModel, 0, 1));
    t.push_back(BoolKey(SecOptions, QStringLiteral("Ligne_Entre_Secteur"), &TOpt::LigneEntreSecteur));
    t.push_back(IntKey(SecOptions, QStringLiteral("Engine_Rel_Level"), &TOpt::EngineRelLevel, 0, 999));
    t.push_back(IntKey(SecOptions, QStringLiteral("Engine_Abs_Level"), &TOpt::EngineAbsLevel, 0, 999));
    t.push_back(IntKey(SecOptions, QStringLiteral("Engine_Coef_Width"), &TOpt::EngineCoefWidth, 0, 20));
    t.push_back(BoolKey(SecOptions, QStringLiteral("Fond_Carte"), &TOpt::FondCarte));
    t.push_back(BoolKey(SecOptions, QStringLiteral("Auto_Selection_Carte"), &TOpt::AutoSelectionCarte));
    t.push_back(IntKey(SecOptions, QStringLiteral("Assoc_Auto"), &TOpt::AssocAuto, 0, 2));
    t.push_back(BoolKey(SecOptions, QStringLiteral("Auto_Fit"), &TOpt::AutoFit));
    t.push_back(IntKey(SecOptions, QStringLiteral("Sel_Width"), &TOpt::SelWidth, 1, 20));

    // Sector presets
    static const char* const prefix[6] = {"Start", "Turn", "Finish", "Ext_Start", "Ext_Turn", "Ext_Finish"};
    for (int i = 0; i < 6; ++i) {
        const QString p = QLatin1String(prefix[i]) + u'_';
        auto sect = [i](TOpt& o) -> TSect& { return o.Secteurs[size_t(i)]; };
        t.push_back(RefKey(SecSecteurs, p + QStringLiteral("Type"), 1, 255,
                           [sect](TOpt& o, TColors&) -> uint8& { return sect(o).Type_Sect; }));
        t.push_back(RefKey(SecSecteurs, p + QStringLiteral("Rayon_Int"), 0, 1000000,
                           [sect](TOpt& o, TColors&) -> int32& { return sect(o).Rayon_Int; }));
        t.push_back(RefKey(SecSecteurs, p + QStringLiteral("Rayon_Ext"), 0, 1000000,
                           [sect](TOpt& o, TColors&) -> int32& { return sect(o).Rayon_Ext; }));
        t.push_back(RefKey(SecSecteurs, p + QStringLiteral("Angle_Int"), 0, 360,
                           [sect](TOpt& o, TColors&) -> int32& { return sect(o).Angle_Int; }));
        t.push_back(RefKey(SecSecteurs, p + QStringLiteral("Angle_Ext"), 0, 360,
                           [sect](TOpt& o, TColors&) -> int32& { return sect(o).Angle_Ext; }));
        t.push_back(RefKey(SecSecteurs, p + QStringLiteral("Zone_Fermee"), 0, 1,
                           [sect](TOpt& o, TColors&) -> uint8& { return sect(o).Zone_Fermee; }));
    }

    // FAI triangle limits
    t.push_back(IntKey(SecFai, QStringLiteral("MinTri0"), &TOpt::MinTri0, 0, 100));
    t.push_back(IntKey(SecFai, QStringLiteral("MaxTri0"), &TOpt::MaxTri0, 0, 100));
    t.push_back(IntKey(SecFai, QStringLiteral("MinDist1"), &TOpt::MinDist1, 0, 100000));
    t.push_back(IntKey(SecFai, QStringLiteral("MinTri1"), &TOpt::MinTri1, 0, 100));
    t.push_back(IntKey(SecFai, QStringLiteral("MaxTri1"), &TOpt::MaxTri1, 0, 100));

    // Display colours
    for (int i = 0; i < 20; ++i)
        t.push_back(RefKey(SecCouleurs, QStringLiteral("Color%1").arg(i), 0, MaxColor,
                           [i](TOpt&, TColors& c) -> int32& { return c[size_t(i)]; }));

    // Airspace styles of the plan view, by class name (class 0 is not used)
    for (int i = 1; i <= 10; ++i) {
        const QString n = ZoneClassNames[size_t(i)] + u' ';
        auto style = [i](TOpt& o) -> TCtp& { return o.ZoneStyles[size_t(i)]; };
        t.push_back(RefKey(
            SecZones, n + QStringLiteral("Draw"), 0, 1,
            [style](TOpt& o, TColors&) -> bool& { return style(o).Draw; }, TOptKey::Bool));
        t.push_back(RefKey(SecZones, n + QStringLiteral("Color"), 0, MaxColor,
                           [style](TOpt& o, TColors&) -> int32& { return style(o).Color; }));
        t.push_back(RefKey(SecZones, n + QStringLiteral("Style"), 0, 4,
                           [style](TOpt& o, TColors&) -> uint8& { return style(o).Style; }));
        t.push_back(RefKey(SecZones, n + QStringLiteral("Width"), 1, 20,
                           [style](TOpt& o, TColors&) -> uint8& { return style(o).Width; }));
    }

    // Last files and the current map
    t.push_back(StrKey(SecFichiers, QStringLiteral("Trajectoire"), &TOpt::FichTrajectoire));
    t.push_back(StrKey(SecFichiers, QStringLiteral("WayPoints"), &TOpt::FichWayPoints));
    t.push_back(StrKey(SecFichiers, QStringLiteral("Circuit"), &TOpt::FichCircuit));
    t.push_back(StrKey(SecFichiers, QStringLiteral("Zones"), &TOpt::FichZones));
    t.push_back(StrKey(SecFichiers, QStringLiteral("Fond_Carte"), &TOpt::FichFondCarte));
    return t;
}

const std::vector<TOptKey>& OptKeys()
{
    static const std::vector<TOptKey> keys = BuildKeys();
    return keys;
}

} // namespace

void LoadOptions(TOpt& O, const TIniFile& Ini)
{
    const TOpt defOpt;
    const TColors defColors = DefaultColors();
    for (const TOptKey& k : OptKeys()) {
        if (k.Kind == TOptKey::Str) {
            O.*k.Text = Ini.ReadString(k.Section, k.Key, defOpt.*k.Text);
            continue;
        }
        const int32 def = k.Get(defOpt, defColors);
        int32 v = def;
        if (k.Kind == TOptKey::Bool)
            v = Ini.ReadBool(k.Section, k.Key, def != 0) ? 1 : 0;
        else
            v = Ini.ReadInteger(k.Section, k.Key, def);
        if (v < k.Min || v > k.Max) v = def;
        k.Set(O, Colors, v);
    }
}

void LoadOptions()
{
    if (!Opt) ModelInit();
    const TIniFile ini(IniFileName());
    LoadOptions(*Opt, ini);
}

bool SaveOptions(const TOpt& O, TIniFile& Ini)
{
    Ini.BeginUpdate();
    bool ok = true;
    for (const TOptKey& k : OptKeys()) {
        switch (k.Kind) {
        case TOptKey::Str:
            ok = Ini.WriteString(k.Section, k.Key, O.*k.Text) && ok;
            break;
        case TOptKey::Bool:
            ok = Ini.WriteBool(k.Section, k.Key, k.Get(O, Colors) != 0) && ok;
            break;
        case TOptKey::Int:
            ok = Ini.WriteInteger(k.Section, k.Key, k.Get(O, Colors)) && ok;
            break;
        }
    }
    ok = Ini.UpdateFile() && ok;
    if (!ok)
        MessageDlg(Tr(QStringLiteral("Impossible d'écrire dans le fichier d'initialisation\r%1 .\r"
                                     "Les paramètres de Zephalon ne peuvent être sauvegardés !"),
                      QStringLiteral("Cannot write to the initialisation file\r%1 .\r"
                                     "Zephalon's settings cannot be saved !"))
                           .arg(Ini.FileName()) +
                       QStringLiteral("\r") + Ini.LastError(),
                   TMsgType::Error, mbOK);
    return ok;
}

bool SaveOptions()
{
    if (!Opt) ModelInit();
    TIniFile ini(IniFileName());
    return SaveOptions(*Opt, ini);
}
