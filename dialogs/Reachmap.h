#pragma once
// The map chooser: in select mode the user picks the background map of the plan view; in
// install mode the user adds, edits, re-installs and removes the maps of the catalogue.
#include "files/MapList.h"
#include "model/Define.h"

#include <QDialog>
#include <QPointer>
#include <QRect>
#include <functional>
#include <memory>

class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

class TReachMapForm : public QDialog
{
    Q_OBJECT
public:
    explicit TReachMapForm(QWidget* Parent = nullptr);
    ~TReachMapForm() override;

    // What the main window lends the chooser: the fit of the plan view to the chosen map, and
    // where the calibration window goes (the main window's client area above its status bar).
    static std::function<void()> FitToMap;
    static std::function<QRect()> CalibrationPlace;

    // Opens the window in install mode (1) or select mode (0) and runs it modally.
    int Execute(uint8 Mode);

    uint8 InstallMode = 0;
    QString MapFile;
    QString SelName;
    std::unique_ptr<TMapCatalog> Ini; // exists while the window is open
    QStringList Names;

    QLineEdit* Edit = nullptr;
    QListWidget* ListBox = nullptr;
    QPushButton* OKBtn = nullptr;
    QPushButton* EscBtn = nullptr;
    QPushButton* ExitBtn = nullptr;
    QPushButton* HelpBtn = nullptr;
    QPushButton* AddBtn = nullptr;
    QPushButton* EditBtn = nullptr;
    QPushButton* RInstBtn = nullptr;
    QPushButton* DelBtn = nullptr;
    QLabel* SelMapLbl = nullptr;
    QPlainTextEdit* SelMemo = nullptr;
    QRadioButton* AllMapBtn = nullptr;
    QRadioButton* RepMapBtn = nullptr;
    QRadioButton* OtherMapBtn = nullptr;
    QLabel* SelDirLbl = nullptr;
    QLabel* DirName = nullptr;

    void ReachMapLoadList();
    void ReachMapFilter();
    bool ReachMapShowInfo();

    void OKBtnClick();
    void ListBoxDblClick();
    void AddBtnClick();
    void EditBtnClick();
    void RInstBtnClick();
    void DelBtnClick();
    void HelpBtnClick();

    // What each opening and closing of the window runs (Execute calls them around the modal
    // loop).
    void FormActivate();
    void FormClose();

    void reject() override;

private:
    TMapFolderFilter Filter() const;
    int RunCalibration();
    bool WriteEntry(const QString& Name, const QString& Path);
    void ReportWriteError();
    bool fFilling = false;
};

extern QPointer<TReachMapForm> ReachMapForm;
