// The competition task file: sectors, names, the turn-point list, encodings and messages.
#include "files/TaskFile.h"
#include "files/RecFile.h"
#include "model/Calc.h"
#include "platform/IniFile.h"
#include "support/Fixtures.h"

#include <QTemporaryDir>

namespace {

class TaskFile : public FreshModel
{
protected:
    void SetUp() override
    {
        FreshModel::SetUp();
        Swp = new TSwp;
        int i = 0;
        for (const char* n : {"GAP", "SISTERON", "Vinon", "TALLARD", "Éze"}) {
            auto w = std::make_unique<TWpt>();
            w->Name = QString::fromUtf8(n);
            w->Lat = 4400000 + i;
            w->Lon = 600000 + i++;
            w->Comment = QStringLiteral("c") + w->Name;
            Swp->AddWpt(w);
        }
        NewTrj();
    }
    QString Write(const QByteArray& Bytes)
    {
        const QString f = TaskFileName(fDir.path());
        WriteAll(f, Bytes);
        return f;
    }
    QStringList Names() const
    {
        QStringList r;
        for (TTrn* t = Stn->First; t; t = t->Next) r << t->Name;
        return r;
    }
    QStringList Messages() const
    {
        QStringList r;
        for (const auto& m : Msg::Log()) r << m.text;
        return r;
    }
    QTemporaryDir fDir;
};

} // namespace

TEST_F(TaskFile, SectorTable)
{
    struct Row
    {
        int Section, Line, Radius;
        uint8 Type;
        int32 Angle, Inner;
        uint8 Closed;
        bool Ref;
    } rows[] = {
        {0, 1, 500, 1, 90, 500, 1, false},   {0, 5, 500, 1, 90, 500, 1, false},
        {0, 2, 500, 2, 0, 500, 1, true},     {0, 3, 500, 1, 180, 500, 1, false},
        {0, 4, 500, 1, 180, 500, 1, true},   {0, 9, 500, 0, 0, 500, 0, false},
        {1, 7, 1000, 1, 0, 1000, 0, false},  {1, 0, 1001, 1, 0, 1001, 0, true},
        {2, 1, 3000, 1, 90, 0, 1, false},    {2, 2, 3000, 1, 180, 3000, 1, false},
        {2, 3, 3000, 1, 180, 3000, 1, true}, {2, 0, 3000, 0, 0, 3000, 0, false},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << r.Section << "/" << r.Line << "/" << r.Radius);
        TTrn* t = AddTaskTrn(*Stn, Swp, r.Section, r.Line, QStringLiteral("gap"), r.Radius);
        ASSERT_NE(t, nullptr);
        EXPECT_EQ(t->Name, QStringLiteral("GAP"));
        EXPECT_EQ(std::tuple(t->Sect.Type_Sect, t->Sect.Angle_Int, t->Sect.Angle_Ext, t->Sect.Rayon_Int,
                             t->Sect.Rayon_Ext, t->Sect.Zone_Fermee),
                  std::tuple(r.Type, r.Angle, r.Angle, r.Inner, r.Radius, r.Closed));
        ASSERT_EQ(t->RefWpt != nullptr, r.Ref);
        if (r.Ref) {
            EXPECT_EQ(t->RefWpt->Lat, t->Lat);
        }
    }
    EXPECT_EQ(std::tuple(Stn->Count, Stn->Last->Num), std::tuple(12, 11));
}

TEST_F(TaskFile, NamesMatchInAsciiUpperCaseAndUnknownOnesAreReportedOnce)
{
    EXPECT_TRUE(SameWptName(QStringLiteral("vinon"), QStringLiteral("VINON")));
    EXPECT_FALSE(SameWptName(QStringLiteral("éze"), QString::fromUtf8("Éze")));
    QSet<QString> seen;
    for (TSwp* set : {Swp, Swp, (TSwp*)nullptr})
        EXPECT_EQ(AddTaskTrn(*Stn, set, 1, 0, set ? QStringLiteral("X") : QStringLiteral("GAP"), 0, &seen),
                  nullptr);
    EXPECT_EQ(Messages(), (QStringList{QStringLiteral("WayPoint X non trouvé"),
                                       QStringLiteral("WayPoint GAP non trouvé")}));
    EXPECT_EQ(Stn->Count, 0);
}

TEST_F(TaskFile, BothEncodingsAndTheListEndsAtTheFirstMissingTurnPoint)
{
    const QByteArray text = "[Général]\r\nTypeEpreuve=3\r\nAltiMaxEpreuve=2500\r\nDateEpreuve=14/07/98\r\n"
                            "[Départ]\r\nWayPoint=gap\r\nTypeLigne=2\r\nRayon=1000\r\nAltiMax=1800\r\n"
                            "FermetureLigne=13:30\r\n[Virage1]\r\nWayPoint=Éze\r\nRayon=500\r\n"
                            "[Virage3]\r\nWayPoint=Vinon\r\n[Arrivée]\r\nWayPoint=Sisteron\r\nTypeLigne=1\r\n"
                            "Rayon=2000\r\nAltiMin=400\r\n";
    for (bool utf8 : {true, false}) {
        SCOPED_TRACE(utf8);
        Stn->Clear();
        Msg::ClearLog();
        Write(utf8 ? text : QString::fromUtf8(text).toLatin1());
        TCst c;
        EXPECT_EQ(LoadTaskFile(TaskFileName(fDir.path()), c, Stn), TTaskLoad::Loaded);
        EXPECT_EQ(Names(),
                  (QStringList{QStringLiteral("GAP"), QString::fromUtf8("Éze"), QStringLiteral("SISTERON")}));
        EXPECT_TRUE(Msg::Log().isEmpty());
        EXPECT_EQ(std::tuple(c.TypeEpreuve, c.AltiMaxEpreuve, c.DateEpreuve, c.AltiMax),
                  std::tuple(3, 2500, EncodeDate(1998, 7, 14), 1800));
        EXPECT_DOUBLE_EQ(c.FermetureDep, 13.5 / 24);
        EXPECT_EQ(std::tuple(Stn->First->Sect.Type_Sect, Stn->Last->Sect.Rayon_Int), std::tuple(2, 0));
    }
}

TEST_F(TaskFile, GarbageMissingSectionsAndWaypointFiles)
{
    // Garbage numbers and dates take the defaults; unknown names are reported once each and
    // the other points are still added.
    Write("[Général]\nTypeEpreuve=x\nDateEpreuve=31/02/05\nFichWayPoints=" +
          fDir.filePath("none.dat").toUtf8() +
          "\n[Départ]\nWayPoint=Q\nAltiMax=abc\nFermetureLigne=25:00\n[Virage1]\nWayPoint=Q\n"
          "[Virage2]\nWayPoint=tallard\n");
    TCst c;
    EXPECT_EQ(LoadTaskFile(TaskFileName(fDir.path()), c, Stn), TTaskLoad::Loaded);
    EXPECT_EQ(std::tuple(c.TypeEpreuve, c.AltiMax), std::tuple(0, 99999));
    EXPECT_DOUBLE_EQ(c.FermetureDep, (23 * 60 + 59) / 1440.0);
    const QDate today = QDate::currentDate();
    EXPECT_EQ(c.DateEpreuve, EncodeDate(today.year(), today.month(), today.day()));
    EXPECT_EQ(Names(), QStringList{QStringLiteral("TALLARD")});
    EXPECT_EQ(Messages(),
              (QStringList{QStringLiteral("Fichier way-point non trouvé"),
                           QStringLiteral("WayPoint Q non trouvé"), QStringLiteral("WayPoint  non trouvé")}));

    // A waypoint file that exists is opened as the current set.
    QString err;
    TSwp other;
    auto w = std::make_unique<TWpt>();
    w->Name = QStringLiteral("MOTTE");
    other.AddWpt(w);
    const QString wz = fDir.filePath(QStringLiteral("Wpts.zph"));
    ASSERT_TRUE(WriteSwpFile(other, wz, err)) << err.toStdString();
    Write("[Général]\nFichWayPoints=" + wz.toUtf8() + "\n[Départ]\nWayPoint=motte\n");
    Stn->Clear();
    EXPECT_EQ(LoadTaskFile(TaskFileName(fDir.path()), c, Stn), TTaskLoad::Loaded);
    EXPECT_EQ(Swp->FileName, wz);
    EXPECT_EQ(Names(), QStringList{QStringLiteral("MOTTE")});

    // The set modified: Cancel at the save question takes nothing of the task.
    Swp->Modified = true;
    Msg::PushAnswer(mrCancel);
    Stn->Clear();
    EXPECT_EQ(LoadTaskFile(TaskFileName(fDir.path()), c, Stn), TTaskLoad::Cancelled);
    EXPECT_EQ(Stn->Count, 0);
    EXPECT_EQ(LoadTaskFile(fDir.filePath(QStringLiteral("missing.zpt")), c, Stn), TTaskLoad::NoFile);
}

TEST(TaskFileText, DatesAndTimes)
{
    TDateTime d = 0;
    EXPECT_TRUE(TaskDate(QStringLiteral("01/08/79"), d) && d == EncodeDate(2079, 8, 1));
    EXPECT_TRUE(TaskDate(QStringLiteral("01/08/1979"), d) && d == EncodeDate(1979, 8, 1));
    for (const char* bad : {"", "1/2", "aa/bb/cc", "32/01/05", "1/13/05"})
        EXPECT_FALSE(TaskDate(QString::fromLatin1(bad), d)) << bad;
    EXPECT_FALSE(TaskTime(QStringLiteral("12:60"), d));
}
