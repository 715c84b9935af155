// The lines of the calculations panel for known fixes and tasks, and the panel showing them.
#include "app/Text.h"
#include "model/Options.h"

#include "support/Fixtures.h"
#include <QTextBrowser>
#include <gtest/gtest.h>

namespace {

class TextFormTest : public FreshModel
{
protected:
    void SetUp() override
    {
        FreshModel::SetUp();
        Language = 0;
    }

    // Two fixes 36 s apart (1000 time units), the second 899 units (about 1 km) further north
    // and 36 m higher: 100 km/h and +1 m/s.
    TTrj* TwoFixes()
    {
        TTrj* T = NewTrj();
        auto add = [&](int32 time, int32 lat, int32 alt) {
            auto R = std::make_unique<TRec>();
            std::tie(R->Time, R->Lat, R->Lon, R->Alt, R->AltGps) =
                std::tuple(time, lat, 600000, alt, alt + 20);
            EXPECT_TRUE(T->AddRec(R));
        };
        add(1000000, 4500000, 1000);
        add(1001000, 4500899, 1036);
        TrjLoaded();
        T->TimeLoc = 2;
        T->CurRec = T->Last;
        return T;
    }

    static QString Value(const QList<TTextRow>& Rows, const QString& Label)
    {
        for (const TTextRow& r : Rows)
            if (!r.Header && r.Label == Label) return r.Value;
        return QStringLiteral("<none>");
    }

    static void AddTrn(TStn& Task, const char* Name, int32 Lat, int32 Lon, int32 Reached, int32 Time)
    {
        TTrn t;
        t.Name = QString::fromLatin1(Name);
        std::tie(t.Lat, t.Lon, t.Reached, t.Time) = std::tuple(Lat, Lon, Reached, Time);
        ASSERT_NE(Task.AddTrn(t, -1), nullptr);
    }
};

} // namespace

TEST_F(TextFormTest, CurrentFixAgainstThePreviousInMetricUnits)
{
    TTrj* T = TwoFixes();
    const QList<TTextRow> rows = BuildTextRows(T, nullptr);
    ASSERT_FALSE(rows.isEmpty());
    EXPECT_TRUE(rows.first().Header);
    EXPECT_EQ(rows.first().Label, QStringLiteral("Point courant"));
    const std::pair<const char*, const char*> expected[] = {
        {"Heure UTC", "10:00:36"},       {"Heure locale", "12:00:36"},
        {"Latitude", "N45°00.54'"},      {"Longitude", "E006°00.00'"},
        {"Altitude pression", "1036 m"}, {"Altitude GPS", "1056 m"},
        {"Vitesse", "100 km/h"},         {"Vario", "+1.0 m/s"}};
    for (auto [label, value] : expected)
        EXPECT_EQ(Value(rows, QString::fromUtf8(label)), QString::fromUtf8(value)) << label;
    // No task: no task lines.
    for (const TTextRow& r : rows) EXPECT_NE(r.Label, QStringLiteral("Circuit"));
}

TEST_F(TextFormTest, DisplayUnitsAndCoordinateFormat)
{
    TTrj* T = TwoFixes();
    Opt->UniteVitesse = 1;  // Kt
    Opt->UniteAltitude = 1; // Ft
    Opt->UniteVario = 2;    // Ft/min
    Opt->UniteLatiLong = 0; // degrees, minutes, seconds
    const QList<TTextRow> rows = BuildTextRows(T, nullptr);
    EXPECT_EQ(Value(rows, QStringLiteral("Vitesse")), QStringLiteral("54 Kt"));
    EXPECT_EQ(Value(rows, QStringLiteral("Altitude pression")), QStringLiteral("3399 Ft"));
    EXPECT_EQ(Value(rows, QStringLiteral("Vario")), QStringLiteral("+197 Ft/min"));
    EXPECT_EQ(Value(rows, QStringLiteral("Latitude")), QStringLiteral("N45°00'32\""));

    // Sinking shows its sign.
    T->Last->Alt = 1000 - 36;
    EXPECT_EQ(Value(BuildTextRows(T, nullptr), QStringLiteral("Vario")), QStringLiteral("-197 Ft/min"));

    Language = 1;
    const QList<TTextRow> en = BuildTextRows(T, nullptr);
    EXPECT_EQ(en.first().Label, QStringLiteral("Current fix"));
    EXPECT_EQ(Value(en, QStringLiteral("Speed")), QStringLiteral("54 Kt"));
}

TEST_F(TextFormTest, FirstFixHasNoSpeedAndNoTraceHasNoLines)
{
    TTrj* T = TwoFixes();
    T->CurRec = T->First;
    const QList<TTextRow> rows = BuildTextRows(T, nullptr);
    EXPECT_EQ(Value(rows, QStringLiteral("Vitesse")), QStringLiteral("-"));
    EXPECT_EQ(Value(rows, QStringLiteral("Vario")), QStringLiteral("-"));
    EXPECT_TRUE(BuildTextRows(nullptr, nullptr).isEmpty());
    T->CurRec = nullptr;
    EXPECT_TRUE(BuildTextRows(T, nullptr).isEmpty());
}

TEST_F(TextFormTest, TaskLegsAndReachedPoints)
{
    TTrj* T = TwoFixes();
    TStn& task = *T->Stn;
    AddTrn(task, "DEP", 4500000, 600000, 1, 1000000);
    AddTrn(task, "NORD", 4550000, 600000, 1, 1100000);
    AddTrn(task, "ARR", 4500000, 600000, 0, 0);
    Opt->UniteDistance = 0;
    const QList<TTextRow> rows = BuildTextRows(T, &task);
    // 0.5 degree of latitude is 55.6 km on the sphere, due north and back.
    EXPECT_EQ(Value(rows, QStringLiteral("DEP → NORD")), QStringLiteral("55.6 km  360°"));
    EXPECT_EQ(Value(rows, QStringLiteral("NORD → ARR")), QStringLiteral("55.6 km  180°"));
    EXPECT_EQ(Value(rows, QStringLiteral("Distance totale")), QStringLiteral("111.2 km"));
    // Reached points in local time (UTC + 2), the others said so.
    EXPECT_EQ(Value(rows, QStringLiteral("DEP")), QStringLiteral("12:00:00"));
    EXPECT_EQ(Value(rows, QStringLiteral("NORD")), QStringLiteral("13:00:00"));
    EXPECT_EQ(Value(rows, QStringLiteral("ARR")), QStringLiteral("non atteint"));

    Opt->UniteDistance = 1; // NM
    EXPECT_EQ(Value(BuildTextRows(T, &task), QStringLiteral("Distance totale")), QStringLiteral("60.0 NM"));

    // A task of one point has no leg and no total.
    TStn single;
    AddTrn(single, "SEUL", 4500000, 600000, 0, 0);
    const QList<TTextRow> one = BuildTextRows(nullptr, &single);
    EXPECT_EQ(Value(one, QStringLiteral("Distance totale")), QStringLiteral("<none>"));
    EXPECT_EQ(Value(one, QStringLiteral("SEUL")), QStringLiteral("non atteint"));
}

TEST_F(TextFormTest, PlainAndHtmlForms)
{
    const QList<TTextRow> rows{{QStringLiteral("Titre"), QString(), true},
                               {QStringLiteral("A<b>"), QStringLiteral("1 & 2"), false}};
    EXPECT_EQ(TextRowsToPlain(rows), QStringLiteral("Titre\nA<b> : 1 & 2"));
    const QString html = TextRowsToHtml(rows);
    EXPECT_TRUE(html.contains(QStringLiteral("A&lt;b&gt;")));
    EXPECT_TRUE(html.contains(QStringLiteral("1 &amp; 2")));
}

TEST_F(TextFormTest, PanelShowsTheCurrentFixAndFollowsIt)
{
    TTrj* T = TwoFixes();
    TTextForm form;
    EXPECT_EQ(TextForm, &form);
    form.RefreshView();
    EXPECT_TRUE(form.PlainText().contains(QStringLiteral("12:00:36")));
    T->CurRec = T->First;
    form.RefreshView();
    EXPECT_TRUE(form.PlainText().contains(QStringLiteral("12:00:00")));
    EXPECT_FALSE(form.PlainText().contains(QStringLiteral("12:00:36")));
    CloseAllTrj();
    form.RefreshView();
    EXPECT_TRUE(form.PlainText().contains(QStringLiteral("Aucune trajectoire")));
}
