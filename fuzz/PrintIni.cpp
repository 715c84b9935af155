// Print settings loader: any section reads without failing, every value lands within its
// edit's range, and what is saved reads back the same.
#include "print/PrintIni.h"
#include "FuzzCommon.h"
#include "platform/IniFile.h"

#include <cstddef>
#include <cstdint>

namespace {

bool In(int v, int lo, int hi)
{
    return v >= lo && v <= hi;
}

void CheckRanges(const TPrintSettings& s)
{
    using fuzz::Check;
    for (int m : {s.TopEdit, s.BottomEdit, s.LeftEdit, s.RightEdit}) Check(In(m, PrnMarginMin, PrnMarginMax));
    Check(In(s.HauteurCoupe, PrnCuttHeightMin, PrnCuttHeightMax));
    Check(In(s.PrnRepSizeEdit, PrnRepSizeMin, PrnRepSizeMax));
    Check(In(s.PrnNbMeridEdit, PrnNbMeridMin, PrnNbMeridMax));
    Check(s.CmntEdit == s.DefCmntEdit);
    for (int j = 0; j < 4; ++j) {
        const TCtp& c = s.PrnStyles[j];
        Check(c.Kind == PrnStyleDefaults[j].Kind);
        Check(In(c.Style, 0, 4) && c.Width >= 1 && In(c.Color, 0, 0xFFFFFF));
        if (c.Kind & 4) Check(In(c.Size, PrnFontSizeMin, PrnFontSizeMax) && !c.Police.isEmpty());
    }
    for (int i = 1; i <= 10; ++i) {
        const TCtp& c = s.PrnZoneStyles[i];
        Check(In(c.Style, 0, 4) && c.Width >= 1 && In(c.Color, 0, 0xFFFFFF));
    }
}

bool Same(const TPrintSettings& a, const TPrintSettings& b)
{
    bool same = a.TopEdit == b.TopEdit && a.BottomEdit == b.BottomEdit && a.LeftEdit == b.LeftEdit &&
                a.RightEdit == b.RightEdit && a.HauteurCoupe == b.HauteurCoupe &&
                a.PrnNbMeridEdit == b.PrnNbMeridEdit && a.PrnRepSizeEdit == b.PrnRepSizeEdit &&
                a.DefCmntEdit == b.DefCmntEdit && a.EchPlanBox == b.EchPlanBox &&
                a.MonochBtn == b.MonochBtn && a.RepPlanBtn == b.RepPlanBtn;
    for (int j = 0; j < 4; ++j)
        same = same && a.PrnStyles[j].Color == b.PrnStyles[j].Color &&
               a.PrnStyles[j].Size == b.PrnStyles[j].Size;
    for (int i = 1; i <= 10; ++i)
        same = same && a.PrnZoneStyles[i].Draw == b.PrnZoneStyles[i].Draw &&
               a.PrnZoneStyles[i].Width == b.PrnZoneStyles[i].Width;
    return same;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::InitOnce();
    QByteArray bytes = QByteArrayLiteral("[Impression]\n");
    bytes.append(reinterpret_cast<const char*>(data), qsizetype(size));
    auto ini = TIniFile::FromBytes(bytes);
    TPrintSettings s;
    LoadIni(s, *ini);
    CheckRanges(s);
    // Values read from a title that holds line breaks cannot be written back as they are.
    if (s.DefCmntEdit.contains(u'\n') || s.DefCmntEdit.contains(u'\r') || s.EchPlanBox.contains(u'\n') ||
        s.EchPlanBox.contains(u'\r'))
        return 0;
    fuzz::Check(SaveIni(s, *ini));
    TPrintSettings back;
    LoadIni(back, *ini);
    fuzz::Check(Same(s, back));
    return 0;
}
