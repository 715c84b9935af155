#pragma once
// The flight data model: fixes, traces, waypoints, tasks, maps, airspace zones and options,
// with the global current instances that every window reads and changes.
//
// Units: angles are int32 in 1e-5 degree (north and east positive); times of day are int32 in
// 1e-5 hour (2,400,000 = 24 h; one unit is 0.036 s); altitudes int32 metres; date-times are
// doubles counting days since 30 Dec 1899 with the time as the fraction.
//
// Lists are doubly linked as the rest of the program walks them (First/Next, cursors). Each
// container owns its elements and frees them; element addresses never move.
#include <QImage>
#include <QString>
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

using int32 = int32_t;
using uint8 = uint8_t;
using uint16 = uint16_t;
using TDateTime = double;

constexpr int32 TimeUnitsPerHour = 100000;
constexpr int32 TimeUnitsPerDay = 2400000;
constexpr int32 MaxListCount = 65535; // counts are 16-bit

struct TPos
{
    int32 Lat = 0; // 1e-5 degree
    int32 Lon = 0;
};

// One fix of a trace.
struct TRec : TPos
{
    int32 Time = 0;   // 1e-5 hour UTC; may pass 2,400,000 after midnight
    int32 Alt = 0;    // pressure altitude, m
    int32 AltGps = 0; // second (GPS) altitude, m
    int32 Enl = 0;    // engine-noise level (0..999)
    uint8 Kind = 0;   // 0 plain fix; 1 start of a segment after a gap (pen up)
    TRec* Prev = nullptr;
    TRec* Next = nullptr;
};

// The fields a waypoint and a turn point share.
struct TWptBase : TPos
{
    QString Name;     // at most 15 characters
    QString Comment;  // at most 90 characters
    int32 Alt = 0;    // m
    uint8 Attr = 0;   // bits 0..6 = T A L S F H R
    bool Rep = false; // mark
};

struct TWpt : TWptBase
{
    TWpt* Prev = nullptr;
    TWpt* Next = nullptr;
};

constexpr int WptNameLen = 15;
constexpr int WptCommentLen = 90;

// Observation zone of a turn point (see model/Sector.h for the meaning of the fields).
struct TSect
{
    uint8 Type_Sect = 0;   // 0: use the option preset of the turn point's kind; 1.. shape
    int32 Rayon_Int = 0;   // inner radius, m
    int32 Rayon_Ext = 0;   // outer radius, m
    int32 Angle_Int = 0;   // inner half-angle, degrees
    int32 Angle_Ext = 0;   // outer half-angle, degrees
    uint8 Zone_Fermee = 0; // 0: the zone is drawn closed; 1: open (outer arc left out)
    bool operator==(const TSect&) const = default;
};

// Sector kinds, the index of the option presets.
enum TSectIndex : uint8
{
    siStart = 0,
    siTurn = 1,
    siFinish = 2,
    siExtStart = 3,
    siExtTurn = 4,
    siExtFinish = 5
};

// A turn point of a task.
struct TTrn : TWptBase
{
    int32 Time = 0;    // passage time, 1e-5 hour UTC
    int32 TimeMin = 0; // search window start
    int32 TimeMax = 0; // search window end
    uint16 Num = 0;    // 0-based number
    int32 Reached = 0; // 0 when not reached
    TSect Sect;
    // Reference waypoint of an extended turn point. When RefOwned is true the turn point owns
    // it and frees it; otherwise it points at a waypoint owned by someone else (a waypoint set).
    TWpt* RefWpt = nullptr;
    bool RefOwned = true;
    // Optional linked position (not owned), used instead of the turn point's own position.
    const TPos* LinkPos = nullptr;
    TTrn* Prev = nullptr;
    TTrn* Next = nullptr;

    TTrn() = default;
    TTrn(const TTrn&) = delete;
    TTrn& operator=(const TTrn&) = delete;
    ~TTrn();
    // Sets the reference waypoint, freeing an owned previous one.
    void SetRefWpt(TWpt* wpt, bool owned);
};

// A task: the turn points of a trace.
class TStn
{
public:
    TStn() = default;
    TStn(const TStn&) = delete;
    TStn& operator=(const TStn&) = delete;
    ~TStn();

    TTrn* First = nullptr;
    TTrn* Last = nullptr;
    TTrn* Cursor = nullptr;
    TTrn* Cursor2 = nullptr;
    TTrn* Cursor3 = nullptr;
    TTrn* SelTrn = nullptr;
    uint16 Count = 0;
    bool Modified = false;
    QString FileName;

    // Appends a copy of the template: position, texts, altitude, attributes, mark, time, search
    // window (Time - 25000 / Time + 25000 where the template's is 0), Reached and Sect; not its
    // linked position. The reference waypoint passes to the new turn point with its ownership
    // (the template's RefWpt is cleared). Num >= 0 numbers it, -1 numbers it with the count
    // before the append. Leaves Cursor on it. Returns nullptr (with a message, once per task)
    // when the task is full.
    TTrn* AddTrn(TTrn& Template, int Num);
    // Unlinks and frees the turn point (and its reference waypoint when it owns it) and
    // numbers the rest 0, 1, ...; ignores a turn point of another task. When the current task
    // loses its last turn point the user interface hears TaskEmptied().
    void DeleteTrn(TTrn* Trn);
    void Clear();
    const TPos* TrnPos(const TTrn* Trn) const;
    TTrn* Item(int index) const; // nullptr out of range

private:
    void FreeAll();
    bool fFullReported = false;
};

// A waypoint set.
class TSwp
{
public:
    TSwp();
    TSwp(const TSwp&) = delete;
    TSwp& operator=(const TSwp&) = delete;
    ~TSwp();

    TWpt* First = nullptr;
    TWpt* Last = nullptr;
    TWpt* Cursor = nullptr;
    TWpt* SelWpt = nullptr;
    uint16 Count = 0;
    bool Modified = false;
    QString FileName;
    int32 LatMin, LatMax, LonMin, LonMax;

    // Links the waypoint at the end and hands the caller a fresh empty one. False (with a
    // message, once per set) when the set is full; the caller keeps its waypoint then.
    bool AddWpt(std::unique_ptr<TWpt>& Wpt);
    // Frees a waypoint of this set; turn points that merely point at it drop the reference.
    void DeleteWpt(TWpt* Wpt);
    void Clear();
    TWpt* FirstWpt();
    TWpt* NextWpt();
    void ResetBounds();
    void ComputeBounds();

private:
    void FreeAll(); // turn points that merely point at a freed waypoint drop the reference
    bool fFullReported = false;
};

// One trace.
class TTrj
{
public:
    TTrj();
    TTrj(const TTrj&) = delete;
    TTrj& operator=(const TTrj&) = delete;
    ~TTrj();

    // Fixes
    TRec* First = nullptr;
    TRec* Last = nullptr;
    TRec* Cursor = nullptr;   // walk cursor
    TRec* CurRec = nullptr;   // current fix of the views
    TRec* SelFirst = nullptr; // selected part
    TRec* SelLast = nullptr;
    TRec* LiveRec = nullptr; // first fix of the live segment still to draw
    uint16 RecCount = 0;

    // Header
    QString Name;
    QString FileName;
    QString Note;
    QString Pilot;
    QString GliderType;
    QString GliderId;
    QString CompId;
    QString Source;
    TDateTime Date = 0;      // day of the flight (UTC), 0 when unknown
    TDateTime StartTime = 0; // date-time of the first fix
    TDateTime EndTime = 0;   // date-time of the last fix
    int32 TimeLoc = 0;       // local-time offset, hours
    int32 TimeOffset = 0;    // shift applied when traces are overlaid (1e-5 hour)
    uint8 SaveState = 0;     // 0 saved or read from a file; 1 modified; 2 received from a device, never saved
    bool Loaded = false;
    bool Modified = false;
    int SelTrnIdx = -1;
    // Never reused while the program runs: a window that fills a trace it created keeps this
    // rather than the address, which a later trace may get once this one is closed.
    const uint32_t Id;

    // Bounds
    int32 LatMin, LatMax, LonMin, LonMax;
    int32 TimeMin, TimeMax, AltMin, AltMax, AltGpsMin, AltGpsMax, EnlMax;
    int32 ViewTimeMin = 0, ViewTimeMax = 0, ViewAltMin = 0, ViewAltMax = 0;

    std::unique_ptr<TStn> Stn; // the trace's own task, never null

    // Chain of open traces
    TTrj* PrevTrj = nullptr;
    TTrj* NextTrj = nullptr;

    // Appends the fix (the 24-hour rule: a time 2,300,000..2,400,000 units before the previous
    // fix's time moves forward by 2,400,000), updates bounds and count, and hands the caller a
    // fresh empty fix. False (with a message, once per trace) when the trace is full; the
    // caller keeps its fix then.
    bool AddRec(std::unique_ptr<TRec>& Rec);
    // Bounds, start and end date-times. Before the trace is finished, a trace without a Date
    // but with a StartTime (a device download) takes its Date from them.
    void ComputeBounds();
    void ResetBounds();
    void FindNearestTime(int32 Time);
    TRec* InsertRecAt(int32 Time); // nullptr when not inserted
    // Walk cursor: stays on the last (first) fix; from no cursor they start at the first (last).
    TRec* NextRec();
    TRec* PrevRec();
    void DeleteRec(TRec* Rec);
    void Clear();
    TRec* RecAt(int index) const;

private:
    void FreeRecs();
    void WidenBounds(const TRec& R);
    bool fFullReported = false;
};

// Calibration point of a scanned map.
// A new point is at 0 and not defined; the calibration reader marks the values a file lacks
// (pixel -1, angle 50000000).
struct TMapCalPoint
{
    int32 X = 0;    // pixel column
    int32 Y = 0;    // pixel row
    int32 Lati = 0; // 1e-5 degree
    int32 Long = 0;
    // Defined: set only when the point is entered or read whole. The values alone never say it
    // (a point never entered holds zeros).
    bool Valid = false;
};

// The loaded background map.
class TMap
{
public:
    QImage Image;
    QString FileName;                // image path
    std::array<TMapCalPoint, 4> Pos; // 0 upper left, 1 upper right, 2 lower left, 3 lower right
    int32 Width = 0, Height = 0;
    int32 Lati_Min = 0, Lati_Max = 0, Long_Min = 0, Long_Max = 0;
    double aLong = 0, aLati = 0, aX = 0, aY = 0;
    double bLong = 0, bLati = 0, bX = 0, bY = 0;
    bool Valid = false;
};

// One entry of the map catalogue.
struct TMapLoc
{
    QString Name;
    QString Path;
    int32 Lati_Min = 0, Lati_Max = 0, Long_Min = 0, Long_Max = 0;
};
using TMapLocList = std::vector<TMapLoc>;

// The catalogue of installed maps.
class TSml
{
public:
    QString Dir;
    TMapLocList Items;
};

// Outline elements of an airspace zone. A TDrd is a point (its own position); a TDrd1 is an
// arc from StartPos to its own position around Centre, Radius in metres, positive clockwise,
// negative counter-clockwise; a TDrd2 is a circle around its own position.
enum TDrdKind : uint8
{
    dkPoint = 0,
    dkArc = 1,
    dkCircle = 2
};

struct TDrd : TPos
{
    uint8 Kind = dkPoint;
    TDrd* Prev = nullptr;
    TDrd* Next = nullptr;
    virtual ~TDrd() = default;
};

struct TDrd1 : TDrd
{
    TPos StartPos;
    TPos Centre;
    double Radius = 0; // m, signed: > 0 clockwise
    TDrd1() { Kind = dkArc; }
};

struct TDrd2 : TDrd
{
    double Radius = 0; // m
    TDrd2() { Kind = dkCircle; }
};

// One airspace zone.
class TMpf
{
public:
    TMpf();
    TMpf(const TMpf&) = delete;
    TMpf& operator=(const TMpf&) = delete;
    ~TMpf();

    uint8 Class = 10; // 1..10, index of ZoneClassNames
    QString Name;
    QString Floor;   // floor text as read
    QString Ceiling; // ceiling text as read
    int32 LatMin, LatMax, LonMin, LonMax;
    TDrd* First = nullptr;
    TDrd* Last = nullptr;
    TDrd* Cur = nullptr;
    int Count = 0;
    TMpf* Prev = nullptr;
    TMpf* Next = nullptr;

    void AddDrd(std::unique_ptr<TDrd> Drd); // takes ownership, widens the bounds
    void ResetBounds();
};

// An airspace zone set.
class TSmp
{
public:
    TSmp();
    TSmp(const TSmp&) = delete;
    TSmp& operator=(const TSmp&) = delete;
    ~TSmp();

    TMpf* First = nullptr;
    TMpf* Last = nullptr;
    TMpf* Cur = nullptr;
    uint16 Count = 0;
    QString FileName;
    int32 LatMin, LatMax, LonMin, LonMax;

    // Takes the zone (Mpf is empty afterwards) and widens the bounds by the zone's. False (with
    // a message, once per set) when the set is full; the caller keeps its zone then.
    bool AddMpf(std::unique_ptr<TMpf>& Mpf);
    void Clear();
    void ResetBounds();

private:
    void FreeAll();
    bool fFullReported = false;
};

// Drawing style of the zone classes and of printing.
struct TCtp
{
    uint8 Kind = 0; // bits: 1 Draw, 2 Style and Width, 4 Police and Size
    bool Draw = true;
    int32 Color = 0; // Windows colour integer
    uint8 Style = 0; // 0 solid, 1 dash, 2 dot, 3 dash-dot, 4 dash-dot-dot
    uint8 Width = 1;
    QString Police;
    uint8 Size = 0;
};

// The nine texts of a trace file's summary.
struct TTrjFileInfo
{
    QString Pilot, GliderType, GliderId, CompId, Source, Date, Distance, Duration, Note;
    QString& operator[](int i);
    const QString& operator[](int i) const;
};

// Competition parameters read from a task file.
struct TCst
{
    uint8 TypeEpreuve = 0;
    TDateTime DateEpreuve = 0;
    TDateTime FermetureDep = 0;
    TDateTime FermetureArr = 0;
    int32 AltiMaxEpreuve = 0;
    int32 AltiMax = 0;
    int32 AltiMin = 0;
};

// ---- Global current instances -------------------------------------------------------------

class TOpt;
extern TTrj* Trj;                    // current trace, nullptr when none is open
extern TTrj* FirstTrj;               // first of the chain of open traces (owned by the chain)
extern TSwp* Swp;                    // current waypoint set (owned), may be nullptr
extern TStn* Stn;                    // task of the current trace (nullptr when no trace is open)
extern TMap* Map;                    // background map (owned, never nullptr after ModelInit)
extern TSml* Sml;                    // map catalogue (owned)
extern TSmp* Smp;                    // airspace zone set (owned), may be nullptr
extern TOpt* Opt;                    // options (owned)
extern uint8 TrjMode;                // trace mode
extern uint8 WptMode;                // waypoint mode
extern bool SyncTrj;                 // all open traces overlaid
extern bool SyncApply;               // per-trace time offsets applied
extern int Language;                 // 0 French, 1 English
extern std::array<int32, 20> Colors; // display colours (Windows colour integers)
// Grows whenever waypoints of a set are freed or the current set is replaced: whoever keeps
// waypoint pointers compares it to the value it saw and drops them when it moved.
extern uint64_t WptGeneration;

// Creates the global objects (options with defaults, empty map, catalogue). Idempotent.
void ModelInit();
// Frees every global object (traces, sets, zones, map, options).
void ModelDone();

// Traces chain
TTrj* NewTrj();         // new empty trace after the current one, made current
void CloseTrj(TTrj* T); // unlinks and frees; the next (else previous) becomes current
void CloseAllTrj();
void SetCurrentTrj(TTrj* T);
int TrjCount();
void TrjLoaded(); // finishes the current trace after it was filled
// Finishes that open trace the same way; another current trace stays current. An empty trace
// is closed (the current one then moves as CloseTrj moves it).
void TrjLoaded(TTrj* T);
// The open trace of that Id, nullptr when it was closed.
TTrj* FindTrj(uint32_t Id);

// Waypoint and zone sets
TSwp* NewSwp();                       // replaces the current set with a new empty one
void SetSwp(std::unique_ptr<TSwp> S); // replaces the current set
void FreeSwpObject();                 // frees the current set (no question asked)
void SetSmp(std::unique_ptr<TSmp> S);

// Picks French or the English twin by Language.
inline const QString& Tr(const QString& fr, const QString& en)
{
    return Language == 1 ? en : fr;
}
