#pragma once
// The program's own record format (.ZPH): traces, waypoint sets and tasks, and trace files that
// carry their task and waypoints. The layout is described at the top of ZphFile.cpp.
#include "files/FileCommon.h"

#include <QByteArray>
#include <QString>
#include <array>
#include <memory>
#include <vector>

class QIODevice;

constexpr int ZphRecSize = 16;

// What a file holds; the values are those of the save kinds of the file dialogs.
enum TZphContent : uint8
{
    zcTrj = 1,
    zcSwp = 3,
    zcStn = 5
};

// Tags of the records.
enum TZphTag : uint8
{
    ztMagic = 0,
    ztDirectory = 1,
    ztTaskHeader = 64,
    ztTrnList = 96,
    ztTrn = 97,
    ztTrnTimes = 98,
    ztTrnReached = 99,
    ztTrnSect = 100,
    ztTrnName = 102,
    ztTrnComment = 103,
    ztTrnRef = 104,
    ztTrnRefName = 105,
    ztTrnRefComment = 106,
    ztTrnListEnd = 112, // the turn-point list ends at the first tag from here on
    ztTrjHeader = 128,
    ztTrjSummary = 129,
    ztTrjText = 130, // 130..136: name, note, pilot, glider type, glider id, competition id, source
    ztSwpHeader = 160,
    ztWpt = 161,
    ztWptName = 162,
    ztWptComment = 163,
    ztFix = 200,
    ztFixAlt = 201,
    ztEnd = 255,
};
constexpr int ZphTrjTextCount = 7;

// One fix as stored.
struct TZphFix
{
    int32 Lat = 0, Lon = 0, Time = 0, Alt = 0, AltGps = 0, Enl = 0;
    uint8 Kind = 0;
};

// The decoded contents of a file, before they go into the model.
struct TZphData
{
    uint8 Content = 0; // TZphContent of the directory
    bool HasTrace = false, HasTask = false, HasSwp = false;
    // Trace header
    TDateTime Date = 0;
    int32 TimeLoc = 0;
    int32 TimeOffset = 0;
    std::array<QString, ZphTrjTextCount> Texts; // name, note, pilot, glider type, id, comp id, source
    std::vector<TZphFix> Fixes;
    std::vector<std::unique_ptr<TTrn>> Trns;
    std::vector<std::unique_ptr<TWpt>> Wpts;
    int Rejected = 0;
};

// Decodes a whole file. False when the bytes are not an own-format file at all (no magic
// record, no directory); bad or misplaced records are counted in Rejected and skipped.
bool ParseZph(const QByteArray& Bytes, TZphData& Data);

// Encodes a file. Content zcTrj writes the trace T and, when given, Task and Wpts; zcStn the
// task Task and, when given, Wpts; zcSwp the set Wpts.
QByteArray WriteZph(TZphContent Content, const TTrj* T, const TStn* Task, const TSwp* Wpts);

// Readers into the model.
// A trace: a new current trace (NewTrj ... TrjLoaded), with the task of the file when WithTask.
// When Wpts is given and the file carries a waypoint set, *Wpts receives it.
bool LoadZphTrjData(const QByteArray& Bytes, const QString& FileName, bool WithTask, TReadReport& R,
                    std::unique_ptr<TSwp>* Wpts = nullptr);
bool LoadZphTrj(const QString& FileName, bool WithTask, TReadReport& R,
                std::unique_ptr<TSwp>* Wpts = nullptr);
// The waypoint set of a file (nullptr with R.Error when it holds none or is not valid).
std::unique_ptr<TSwp> ReadZphSwpData(const QByteArray& Bytes, const QString& FileName, TReadReport& R);
std::unique_ptr<TSwp> ReadZphSwp(const QString& FileName, TReadReport& R);
// Replaces the turn points of Task by those of the file (Task untouched on failure).
bool ReadZphStnData(const QByteArray& Bytes, const QString& FileName, TStn& Task, TReadReport& R);
bool ReadZphStn(const QString& FileName, TStn& Task, TReadReport& R);

// From the record Rec just read from F, joins the 15 characters after the tag of it and of each
// following record with the same tag, then moves F back one record (unless the file ended) so
// that the next read gets the record that ended the text; the text ends at the first NUL.
QString ReadZphText(QIODevice& F, const QByteArray& Rec);

// Header of a trace file, read without its fixes (file summaries).
struct TZphSummary
{
    bool HasTrace = false;
    bool HasTask = false;
    double TaskDistKm = 0; // sum of the task legs
    TDateTime Date = 0;
    int32 Duration = 0; // time units from the first fix to the last
    double PathKm = 0;  // path length of the flight
    uint16 FixCount = 0;
    std::array<QString, ZphTrjTextCount> Texts;
};
bool ReadZphSummary(const QString& FileName, TZphSummary& S);
bool ReadZphSummary(QIODevice& F, TZphSummary& S); // F open for reading, seekable

// Sum of the legs of a task, km (through linked positions where set).
double TaskDistance(const TStn& Task);
