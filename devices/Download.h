#pragma once
// How the data a receiver sends enters the model, shared by the device windows that download
// tracks, waypoints and routes:
//   - TFlightSplitter turns a stream of track points into traces, one per flight: a new trace
//     at a time gap or where the device marks a new track, each named by its date
//     ("yymmdd - Vol N°k"), with its source, finished and marked received from a device.
//     Only the traces it created are ever finished or marked.
//   - TWptDownload prepares the waypoint set before a download (add to the set or replace it),
//     settles it at the end, and at the window's closing reopens the file that was closed for
//     a download that brought nothing.
//   - TRouteCollector gathers the turn points of the route the user asked for and puts them in
//     the task only when the route gave at least one.
#include "model/Define.h"

#include <QString>
#include <memory>
#include <vector>

class TFlightSplitter
{
public:
    struct TOptions
    {
        bool SplitByGap = true;
        int GapMinutes = 30;
        bool SplitByFlag = false;
    };
    TFlightSplitter(const QString& Source, const TOptions& Options);
    ~TFlightSplitter();

    // A track header: with SplitByFlag, the flight under way is finished and a new one starts.
    void TrackHeader();
    // One point at date-time T (HasTime false: the receiver gave none; it then takes the time
    // of the point before it in the same track and never starts a flight). Fix holds position
    // and altitude; its time of day is set here. False when the point was refused (a date
    // outside the window, a full trace): counted in Errors.
    bool AddPoint(const TRec& Fix, TDateTime T, bool HasTime, bool NewTrackFlag);
    // Finishes the flight under way (if any) and makes the last flight current; the views turn
    // to the traces when the download brought any.
    void Finish();
    // A flight of this download is open and not finished.
    bool Active() const { return fTrj != nullptr; }
    TTrj* Current() const { return fTrj; }
    // Date-time of the last point handled (0 before any).
    TDateTime LastTime() const { return fLastT; }

    int FlightCount = 0;
    int Errors = 0;
    int NoTime = 0;

private:
    void StartFlight();
    void FinishFlight();

    QString fSource;
    TOptions fOpt;
    TTrj* fTrj = nullptr;
    TDateTime fLastT = 0;
    TDateTime fTrackT = 0; // time of the last point of the current track, 0 before any
    std::unique_ptr<TRec> fScratch;
};

class TWptDownload
{
public:
    // Before the download. Interrupted: an earlier download of this window did not finish.
    // False when it must not start (the user kept the current set).
    bool Prepare(bool Interrupted);
    // A waypoint received; false when the set refused it (full).
    bool Add(const TWptBase& W);
    // Transfer complete: the set is kept (modified, waypoint mode) when waypoints came, dropped
    // when it is empty.
    void Complete();
    // At the closing of the window: no set gives an empty one; an empty one reopens the file
    // closed for this download.
    void Close();

    QString OldSwpFile;
    int Added = 0;
};

class TRouteCollector
{
public:
    // ByName: the route is chosen by name (else by its number, as text).
    void Begin(const QString& RteName, bool ByName);
    // A route header, as decoded (the name, or the number as text).
    void Header(const QString& NameOrNumber);
    // A route waypoint; taken when it belongs to the chosen route.
    void Point(const TWptBase& W);
    bool Matching() const { return fMatch; }
    int Taken() const { return static_cast<int>(fPoints.size()); }
    // The task's turn points replaced by those taken, when there is at least one; the task
    // stays as it was otherwise. False then.
    bool Commit(TStn* Task);

private:
    QString fName;
    bool fByName = false;
    bool fMatch = false;
    std::vector<std::unique_ptr<TWptBase>> fPoints;
};
