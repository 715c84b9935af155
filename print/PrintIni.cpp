#include "print/PrintIni.h"

#include "model/Calc.h"
#include "platform/IniFile.h"
#include "platform/Msg.h"
#include "platform/ProgramDir.h"
#include "print/PrintMsg.h"

#include <QDebug>
#include <algorithm>

namespace {

TCtp Style(uint8 kind, int32 color, uint8 width, const char* police, uint8 size)
{
    TCtp c;
    c.Kind = kind;
    c.Draw = true;
    c.Color = color;
    c.Style = 0;
    c.Width = width;
    c.Police = QString::fromLatin1(police);
    c.Size = size;
    return c;
}

constexpr int32 Black = 0;
constexpr int32 Red = 255;

// One key of the section, bound to a field of the settings.
struct TBoolKey
{
    const char* Key; // UTF-8
    bool TPrintSettings::*Field;
    bool Def;
};
struct TTextKey
{
    const char* Key;
    QString TPrintSettings::*Field;
    const char* Def;
};
struct TIntKey
{
    const char* Key;
    int TPrintSettings::*Field;
    int Def, Min, Max;
};

const TBoolKey BoolKeys[] = {
    {"Aff_Nom_Fich", &TPrintSettings::NomFichBtn, true},
    {"Aff_Date", &TPrintSettings::DateBtn, true},
    {"Aff_Pilote", &TPrintSettings::PltBtn, true},
    {"Aff_Planeur", &TPrintSettings::PlnBtn, true},
    {"Aff_Titre", &TPrintSettings::CmntBtn, true},
    {"Monochrome", &TPrintSettings::MonochBtn, true},
    {"Aff_Map_Plan", &TPrintSettings::MapPlanBtn, false},
    {"Aff_Map_Sect_Plan", &TPrintSettings::MapSectBtn, false},
    {"Aff_Zone_Plan", &TPrintSettings::SmpPlanBtn, true},
    {"Aff_Echelle_Plan", &TPrintSettings::EchPlanBtn, true},
    {"Aff_Méridiens_Parallèles", &TPrintSettings::RepPlanBtn, true},
    {"Comme_Ecran_Plan", &TPrintSettings::AdjPlanBtn, true},
    {"Aff_Echelle_Altitude", &TPrintSettings::EchAltiBtn, true},
    {"Aff_Echelle_Date", &TPrintSettings::EchDateBtn, true},
    {"Comme_Ecran_Coupe", &TPrintSettings::AdjCuttBtn, true},
};

const TTextKey TextKeys[] = {
    {"Echelle_Plan", &TPrintSettings::EchPlanBox, "1/1000000"},
    {"Echelle_Altitude", &TPrintSettings::EchAltiBox, "50"},
    {"Echelle_Date", &TPrintSettings::EchDateBox, "20"},
};

const TIntKey IntKeys[] = {
    {"Nb_mini_Méridien/parralèle", &TPrintSettings::PrnNbMeridEdit, 1, PrnNbMeridMin, PrnNbMeridMax},
    {"Marge_Haut", &TPrintSettings::TopEdit, 10, PrnMarginMin, PrnMarginMax},
    {"Marge_Bas", &TPrintSettings::BottomEdit, 10, PrnMarginMin, PrnMarginMax},
    {"Marge_Gauche", &TPrintSettings::LeftEdit, 10, PrnMarginMin, PrnMarginMax},
    {"Marge_Droite", &TPrintSettings::RightEdit, 10, PrnMarginMin, PrnMarginMax},
    {"Dim_Marques_Way_points", &TPrintSettings::PrnRepSizeEdit, 7, PrnRepSizeMin, PrnRepSizeMax},
};

const char* const TitleKey = "Titre";
const char* const CuttHeightKey = "Hauteur_Tracé_Coupe";

QString K(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

int ReadBounded(const TIniFile& Ini, const QString& Key, int Def, int Min, int Max)
{
    return std::clamp(Ini.ReadInteger(PrintIniSection, Key, Def), Min, Max);
}

// Windows colour integers hold three bytes; anything else reads as the default.
int32 ReadColor(const TIniFile& Ini, const QString& Key, int32 Def)
{
    const int v = Ini.ReadInteger(PrintIniSection, Key, Def);
    return v >= 0 && v <= 0xFFFFFF ? v : Def;
}

void ReadStyle(const TIniFile& Ini, const QString& Name, TCtp& C, const TCtp& Def, bool WithFont)
{
    C.Draw = Ini.ReadBool(PrintIniSection, Name + QStringLiteral(" Draw"), Def.Draw);
    C.Color = ReadColor(Ini, Name + QStringLiteral(" Color"), Def.Color);
    C.Style = uint8(ReadBounded(Ini, Name + QStringLiteral(" Style"), Def.Style, 0, 4));
    C.Width = uint8(ReadBounded(Ini, Name + QStringLiteral(" Width"), Def.Width, 1, 255));
    if (!WithFont) return;
    C.Police = Ini.ReadString(PrintIniSection, Name + QStringLiteral(" Police"), Def.Police).trimmed();
    if (C.Police.isEmpty() && (C.Kind & 4)) C.Police = QStringLiteral("Arial");
    const int size = Ini.ReadInteger(PrintIniSection, Name + QStringLiteral(" Size"), Def.Size);
    // A style whose font is not printed keeps a size of its own default (0 for the trace and
    // task styles); the others are held to the dialog's range.
    C.Size =
        uint8((C.Kind & 4) ? std::clamp(size, PrnFontSizeMin, PrnFontSizeMax) : std::clamp(size, 0, 255));
}

} // namespace

const QString PrintIniSection = QStringLiteral("Impression");

const std::array<QString, 4> PrnStyleNames = {QStringLiteral("Trajectoire"), QStringLiteral("Way-points"),
                                              QStringLiteral("Circuit"), QStringLiteral("Autres")};

const std::array<TCtp, 4> PrnStyleDefaults = {
    Style(3, Black, 1, "", 0),
    Style(5, Red, 2, "Arial", 7),
    Style(3, Red, 2, "", 0),
    Style(6, Black, 1, "Arial", 7),
};

TPrintSettings::TPrintSettings()
{
    for (int i = 1; i <= 10; ++i) {
        PrnZoneStyles[i] = ZoneStyleDefaults[i];
        PrnZoneStyles[i].Draw = true;
    }
}

void LoadIni(TPrintSettings& S, const TIniFile& Ini)
{
    for (const TBoolKey& k : BoolKeys) S.*k.Field = Ini.ReadBool(PrintIniSection, K(k.Key), k.Def);
    for (const TTextKey& k : TextKeys) S.*k.Field = Ini.ReadString(PrintIniSection, K(k.Key), K(k.Def));
    S.DefCmntEdit = Ini.ReadString(PrintIniSection, K(TitleKey), QString());
    S.CmntEdit = S.DefCmntEdit;
    for (const TIntKey& k : IntKeys) S.*k.Field = ReadBounded(Ini, K(k.Key), k.Def, k.Min, k.Max);
    S.HauteurCoupe = ReadBounded(Ini, K(CuttHeightKey), 100, PrnCuttHeightMin, PrnCuttHeightMax);

    for (int i = 1; i <= 10; ++i) {
        TCtp def = ZoneStyleDefaults[i];
        def.Draw = true;
        S.PrnZoneStyles[i].Kind = def.Kind;
        ReadStyle(Ini, ZoneClassNames[i], S.PrnZoneStyles[i], def, false);
    }
    for (int j = 0; j < 4; ++j) {
        S.PrnStyles[j].Kind = PrnStyleDefaults[j].Kind;
        ReadStyle(Ini, PrnStyleNames[j], S.PrnStyles[j], PrnStyleDefaults[j], true);
    }
}

void LoadIni(TPrintSettings& S)
{
    TIniFile ini(IniFileName());
    LoadIni(S, ini);
}

bool SaveIni(const TPrintSettings& S, TIniFile& Ini)
{
    const QString& sec = PrintIniSection;
    Ini.BeginUpdate();
    bool ok = true;
    for (const TBoolKey& k : BoolKeys) ok = Ini.WriteBool(sec, K(k.Key), S.*k.Field) && ok;
    for (const TTextKey& k : TextKeys) ok = Ini.WriteString(sec, K(k.Key), S.*k.Field) && ok;
    ok = Ini.WriteString(sec, K(TitleKey), S.DefCmntEdit) && ok;
    ok = Ini.WriteInteger(sec, K(CuttHeightKey), S.HauteurCoupe) && ok;
    for (const TIntKey& k : IntKeys) ok = Ini.WriteInteger(sec, K(k.Key), S.*k.Field) && ok;

    for (int j = 0; j < 4; ++j) {
        const TCtp& c = S.PrnStyles[j];
        const uint8 kind = PrnStyleDefaults[j].Kind;
        const QString& n = PrnStyleNames[j];
        if (kind & 1) ok = Ini.WriteBool(sec, n + QStringLiteral(" Draw"), c.Draw) && ok;
        ok = Ini.WriteInteger(sec, n + QStringLiteral(" Color"), c.Color) && ok;
        if (kind & 2) {
            ok = Ini.WriteInteger(sec, n + QStringLiteral(" Style"), c.Style) && ok;
            ok = Ini.WriteInteger(sec, n + QStringLiteral(" Width"), c.Width) && ok;
        }
        if (kind & 4) {
            ok = Ini.WriteString(sec, n + QStringLiteral(" Police"), c.Police) && ok;
            ok = Ini.WriteInteger(sec, n + QStringLiteral(" Size"), c.Size) && ok;
        }
    }
    for (int i = 1; i <= 10; ++i) {
        const TCtp& c = S.PrnZoneStyles[i];
        const QString& n = ZoneClassNames[i];
        ok = Ini.WriteBool(sec, n + QStringLiteral(" Draw"), c.Draw) && ok;
        ok = Ini.WriteInteger(sec, n + QStringLiteral(" Color"), c.Color) && ok;
        ok = Ini.WriteInteger(sec, n + QStringLiteral(" Style"), c.Style) && ok;
        ok = Ini.WriteInteger(sec, n + QStringLiteral(" Width"), c.Width) && ok;
    }
    ok = Ini.UpdateFile() && ok;
    if (!ok) {
        qWarning().noquote() << "print settings not saved:" << Ini.FileName() << Ini.LastError();
        MessageDlg(FormatMsg(Tr(QStringLiteral("Impossible d'écrire dans le fichier d'initialisation\r%s .\r"
                                               "Les paramètres de Zephalon ne peuvent être sauvegardés !"),
                                QStringLiteral("Cannot write to the initialisation file\r%s .\r"
                                               "Zephalon's settings cannot be saved !")),
                             {Ini.FileName()}) +
                       QStringLiteral("\r") + Ini.LastError(),
                   TMsgType::Information, mbOK);
    }
    return ok;
}

bool SaveIni(const TPrintSettings& S)
{
    TIniFile ini(IniFileName());
    return SaveIni(S, ini);
}
