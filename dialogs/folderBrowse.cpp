// The folder picker.
#include "dialogs/folderBrowse.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QStandardPaths>
#include <QUrl>
#include <array>

namespace {

constexpr std::array<uint32_t, 7> ShellBits{0x1000, 0x2000, 0x2, 0x4, 0x8, 0x1, 0x10};

} // namespace

uint32_t BrowseFlagsToShell(TBrowseFlags Flags)
{
    uint32_t w = 0;
    for (size_t i = 0; i < ShellBits.size(); ++i)
        if (Flags & (1u << i)) w |= ShellBits[i];
    return w;
}

TBrowseFlags BrowseFlagsFromShell(uint32_t Shell)
{
    TBrowseFlags f = 0;
    for (size_t i = 0; i < ShellBits.size(); ++i)
        if (Shell & ShellBits[i]) f |= TBrowseFlags(1u << i);
    return f;
}

QString BrowseRootFolder(TBrowseLocation Root, const QString& CustomRoot)
{
    auto std = [](QStandardPaths::StandardLocation L) {
        const QString p = QStandardPaths::writableLocation(L);
        return p.isEmpty() ? QDir::homePath() : p;
    };
    switch (Root) {
    case bl_CUSTOM:
        return CustomRoot.isEmpty() ? QDir::homePath() : CustomRoot;
    case bl_DESKTOP:
    case bl_DESKTOPDIRECTORY:
    case bl_COMMON_DESKTOPDIRECTORY:
        return std(QStandardPaths::DesktopLocation);
    case bl_PERSONAL:
        return std(QStandardPaths::DocumentsLocation);
    case bl_PROGRAMS:
    case bl_STARTMENU:
    case bl_COMMON_STARTMENU:
    case bl_COMMON_PROGRAMS:
        return std(QStandardPaths::ApplicationsLocation);
    case bl_FONTS:
        return std(QStandardPaths::FontsLocation);
    case bl_APPDATA:
        return std(QStandardPaths::GenericDataLocation);
    default:
        return QDir::homePath();
    }
}

namespace {

const char* const CaptionFr = "Sélectionner un répertoire";
const char* const CaptionEn = "Select Folder";
const char* const StatusFr = "Choisissez un répertoire";
const char* const StatusEn = "Please select a folder";

// A default text of either language becomes the one of the language in use.
void FollowLanguage(QString& Text, const char* Fr, const char* En)
{
    if (Text == QString::fromUtf8(Fr) || Text == QString::fromUtf8(En))
        Text = QString::fromUtf8(Language == 1 ? En : Fr);
}

} // namespace

QString BrowseDefaultCaption()
{
    return QString::fromUtf8(Language == 1 ? CaptionEn : CaptionFr);
}

QString BrowseDefaultStatus()
{
    return QString::fromUtf8(Language == 1 ? StatusEn : StatusFr);
}

TBrowseForFolder::TBrowseForFolder(QObject* Owner) : QObject(Owner) {}

bool TBrowseForFolder::Execute()
{
    fShellFlags |= BrowseValidateFlag;
    FollowLanguage(Caption, CaptionFr, CaptionEn);
    FollowLanguage(StatusText, StatusFr, StatusEn);
    QWidget* owner = nullptr;
    for (QObject* o = parent(); o && !owner; o = o->parent()) owner = qobject_cast<QWidget*>(o);
    QFileDialog dlg(owner ? owner->window() : nullptr, Caption);
    dlg.setOption(QFileDialog::DontUseNativeDialog, true);
    dlg.setOption(QFileDialog::ShowDirsOnly, true);
    dlg.setFileMode(QFileDialog::Directory);
    dlg.setAcceptMode(QFileDialog::AcceptOpen);
    const QString root = BrowseRootFolder(Root, CustomRoot);
    dlg.setSidebarUrls({QUrl::fromLocalFile(root), QUrl::fromLocalFile(QDir::homePath()),
                        QUrl::fromLocalFile(QDir::rootPath())});
    dlg.setDirectory((!FolderName.isEmpty() && QFileInfo(FolderName).isDir()) ? FolderName : root);
    if (!StatusText.isEmpty()) {
        auto* status = new QLabel(StatusText, &dlg);
        status->setObjectName(QStringLiteral("StatusText"));
        if (auto* grid = qobject_cast<QGridLayout*>(dlg.layout()))
            grid->addWidget(status, grid->rowCount(), 0, 1, grid->columnCount());
    }
    if (OnShow) OnShow(dlg);
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return false;
    FolderName = QDir::toNativeSeparators(dlg.selectedFiles().first());
    const QString name = QFileInfo(FolderName).fileName();
    DisplayName = name.isEmpty() ? FolderName : name;
    return true;
}
