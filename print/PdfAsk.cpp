#include "print/PdfAsk.h"

#include "model/Define.h"

#include <QDateTime>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLocale>

QVariant TFileListTexts::data(const QModelIndex& Index, int Role) const
{
    const auto* fs = qobject_cast<const QFileSystemModel*>(sourceModel());
    if (!fs || Role != Qt::DisplayRole || Index.column() < 1 || Index.column() > 3)
        return QIdentityProxyModel::data(Index, Role);
    const QModelIndex src = mapToSource(Index);
    const QLocale loc(fLang == 1 ? QLocale::English : QLocale::French,
                      fLang == 1 ? QLocale::UnitedKingdom : QLocale::France);
    const bool folder = fs->isDir(src);
    switch (Index.column()) {
    case 1:
        return folder ? QString() : loc.formattedDataSize(fs->size(src));
    case 2: {
        if (folder) return fLang == 1 ? QStringLiteral("Folder") : QStringLiteral("Dossier");
        const QString ext = fs->fileInfo(src).suffix();
        if (ext.isEmpty()) return fLang == 1 ? QStringLiteral("File") : QStringLiteral("Fichier");
        return fLang == 1 ? ext.toUpper() + QStringLiteral(" file")
                          : QStringLiteral("Fichier ") + ext.toUpper();
    }
    default:
        return loc.toString(fs->lastModified(src), QStringLiteral("d MMM yyyy HH:mm"));
    }
}

bool AskPdfFile(const QString& Suggested, QString& FileName)
{
    QFileDialog d(nullptr, QString(), Suggested, QStringLiteral("PDF (*.pdf *.PDF)"));
    d.setOption(QFileDialog::DontUseNativeDialog, true);
    d.setAcceptMode(QFileDialog::AcceptSave);
    d.setFileMode(QFileDialog::AnyFile);
    d.setDefaultSuffix(QStringLiteral("pdf"));
    d.setProxyModel(new TFileListTexts(Language, &d));
    if (d.exec() != QDialog::Accepted || d.selectedFiles().isEmpty()) return false;
    FileName = d.selectedFiles().first();
    return !FileName.isEmpty();
}
