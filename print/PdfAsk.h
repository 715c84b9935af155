#pragma once
// The dialog that asks the file the "PDF" entry writes: Qt's own file dialog, whose list shows
// sizes, kinds and dates in the program's language rather than the system's.
#include <QIdentityProxyModel>
#include <QString>

// Over a QFileSystemModel: the size, kind and date columns in the language chosen (0 French,
// 1 English); everything else as the model gives it.
class TFileListTexts : public QIdentityProxyModel
{
public:
    explicit TFileListTexts(int Language, QObject* Parent = nullptr)
        : QIdentityProxyModel(Parent), fLang(Language)
    {
    }
    QVariant data(const QModelIndex& Index, int Role) const override;

private:
    int fLang;
};

// Asks the file, starting from Suggested; false when cancelled.
bool AskPdfFile(const QString& Suggested, QString& FileName);
