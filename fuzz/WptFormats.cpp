// Waypoint files from arbitrary bytes in every readable format; each writer's output must read
// back to the same output.
#include "files/WptFormats.h"
#include "FuzzCommon.h"
#include "platform/Text1252.h"

using fuzz::Check;

namespace {

void Again(const TSwp& S, QByteArray (*Write)(const TSwp&), const char* Ext)
{
    const QByteArray out = Write(S);
    TReadReport R;
    auto B = ReadWptData(out, QString::fromLatin1(Ext), QStringLiteral("back"), R);
    // Written Windows-1252 that happens to be valid UTF-8 ("Ã©", "ï»¿") is read back as UTF-8,
    // as every text file of unknown encoding is: only then may the result differ.
    bool ascii = true;
    for (char c : out) ascii = ascii && uchar(c) < 0x80;
    if (!ascii && IsValidUtf8(out)) return;
    Check(B != nullptr);
    Check(R.Rejected == 0);
    Check(B->Count == S.Count);
    Check(Write(*B) == out);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::InitOnce();
    if (size < 1) return 0;
    static const char* const exts[] = {"DAT", "WPZ", "WPT", "CUP", "GPX"};
    const QByteArray bytes = fuzz::Bytes(data + 1, size - 1);
    TReadReport R;
    auto S = ReadWptData(bytes, QString::fromLatin1(exts[data[0] % 5]), QStringLiteral("f"), R);
    Check((S == nullptr) == !R.Error.isEmpty());
    if (!S) return 0;
    int n = 0;
    for (const TWpt* W = S->First; W; W = W->Next) {
        ++n;
        Check(W->Name.size() <= WptNameLen && W->Comment.size() <= WptCommentLen);
    }
    Check(n == S->Count);
    Again(*S, WriteWptSwp, "WPT");
    Again(*S, WriteDatSwp, "DAT");
    Again(*S, WriteWpzSwp, "WPZ");
    return 0;
}
