#pragma once
#include <QString>

// The program folder: home of "Zephalon.ini", "zephalon.tmp" and the link-trace files.
// ZEPHALON_HOME when set, else the executable's folder when writable, else
// $XDG_CONFIG_HOME/zephalon (created). Always ends without a separator.
QString ProgramDir();
// ProgramDir() + "/Zephalon.ini".
QString IniFileName();
