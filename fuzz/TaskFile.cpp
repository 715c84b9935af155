// Competition task files: any bytes read into parameters and turn points without a fault; every
// turn point added names a waypoint of the set and keeps its radius as the outer one.
#include "files/TaskFile.h"
#include "platform/IniFile.h"
#include "platform/Msg.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 100000) return 0;
    static bool ready = [] {
        Msg::SetHeadless(true);
        ModelInit();
        return true;
    }();
    (void)ready;
    Msg::ClearLog();
    TSwp set;
    for (const char* n : {"GAP", "SISTERON", "Éze", ""}) {
        auto w = std::make_unique<TWpt>();
        w->Name = QString::fromUtf8(n);
        set.AddWpt(w);
    }
    TSwp* saved = Swp;
    Swp = &set;
    TStn task;
    TCst cst;
    auto ini = TIniFile::FromBytes(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    LoadTaskIni(*ini, cst, &task, false);
    Swp = saved;
    int n = 0;
    for (TTrn* t = task.First; t; t = t->Next, ++n) {
        bool known = false;
        for (TWpt* w = set.First; w; w = w->Next) known |= SameWptName(w->Name, t->Name);
        if (!known || t->Num != n || t->Sect.Rayon_Ext < 0 || t->Sect.Rayon_Int > t->Sect.Rayon_Ext)
            std::abort();
    }
    if (n != task.Count) std::abort();
    return 0;
}
