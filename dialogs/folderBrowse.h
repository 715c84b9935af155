#pragma once
// The folder picker: a folder dialog that starts at a given folder, under a chosen root.
#include "model/Define.h"

#include <QObject>
#include <QString>

class QFileDialog;

enum TBrowseFlag : uint8
{
    bf_BrowseForComputer,
    bf_BrowseForPrinter,
    bf_DontGoBelowDomain,
    bf_statustext,
    bf_ReturnFSanceStors,
    bf_ReturnOnlyFSDIRS,
    bf_EditBox,
};
// A set of TBrowseFlag: bit n for the n-th member.
using TBrowseFlags = uint8;
constexpr TBrowseFlags BrowseBit(TBrowseFlag F)
{
    return TBrowseFlags(1u << F);
}

// The shell word of a set of flags and back (bits without a member are dropped).
uint32_t BrowseFlagsToShell(TBrowseFlags Flags);
TBrowseFlags BrowseFlagsFromShell(uint32_t Shell);
// The word's "validate typed names" bit, added by every run.
constexpr uint32_t BrowseValidateFlag = 0x20;

enum TBrowseLocation : uint8
{
    bl_STANDART,
    bl_CUSTOM,
    bl_DESKTOP,
    bl_PROGRAMS,
    bl_CONTROLS,
    bl_PRINTERS,
    bl_PERSONAL,
    bl_FAVORITES,
    bl_STARTUP,
    bl_RECENT,
    bl_SENDTO,
    bl_BITBUCKET,
    bl_STARTMENU,
    bl_DESKTOPDIRECTORY,
    bl_DRIVES,
    bl_NETWORK,
    bl_NETHOOD,
    bl_FONTS,
    bl_TEMPLATES,
    bl_COMMON_STARTMENU,
    bl_COMMON_PROGRAMS,
    bl_COMMON_STARTUP,
    bl_COMMON_DESKTOPDIRECTORY,
    bl_APPDATA,
    bl_PRINTHOOD,
};
// The folder a root stands for: the matching standard location where the desktop has one,
// else the home folder (CustomRoot for bl_CUSTOM when it is set).
QString BrowseRootFolder(TBrowseLocation Root, const QString& CustomRoot = QString());

// The default caption and status line, in the language in use.
QString BrowseDefaultCaption();
QString BrowseDefaultStatus();

class TBrowseForFolder : public QObject
{
    Q_OBJECT
public:
    explicit TBrowseForFolder(QObject* Owner = nullptr);

    QString CustomRoot; // root folder for bl_CUSTOM
    QString DisplayName;
    // Left at their defaults, they follow the language in use when the dialog runs.
    QString StatusText = BrowseDefaultStatus();
    QString FolderName; // empty: the home folder
    TBrowseLocation Root = bl_STANDART;
    QString Caption = BrowseDefaultCaption();

    TBrowseFlags Flags() const { return BrowseFlagsFromShell(fShellFlags); }
    void SetFlags(TBrowseFlags Value) { fShellFlags = BrowseFlagsToShell(Value); }
    uint32_t ShellFlags() const { return fShellFlags; }

    // True when a folder was chosen: FolderName then holds its path and DisplayName its name.
    // A cancel leaves both as they were.
    bool Execute();

    // Tests see the running dialog through this hook (called once it is built).
    static inline std::function<void(QFileDialog&)> OnShow;

private:
    uint32_t fShellFlags = 0;
};
