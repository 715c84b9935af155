#pragma once
// The "$PMGN" sentences of Magellan receivers: building them, taking them out of the receive
// buffer and reading their fields. Pure functions and a reader object; the session sends and
// traces.
//
// A sentence is "$PMGN" + three-letter command + ("," field)... + "*" + two hexadecimal digits
// of the XOR of the characters between "$" and "*" + CR LF. Text goes one byte per character
// (Windows-1252).
#include "model/Define.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

// The checksum of the characters between the first "$" and the first "*" of Sentence ("00"
// when there is nothing between them, or no "$"; up to the end when there is no "*").
QByteArray MgnChecksum(QByteArrayView Sentence);

// A whole sentence with its checksum and CR LF. Every field has ",", "*", "$", CR and LF
// turned into blanks: one of them would shift the receiver's fields or cut the sentence.
QByteArray MgnSentence(QByteArrayView Command, const QList<QByteArray>& Fields);
// A text field as the wire carries it.
QByteArray MgnField(const QString& Text);

// A received sentence split into its parts.
struct TMgnSentence
{
    QByteArray Raw;        // as received, without CR LF, from its "$"
    QByteArray Checksum;   // the two characters after "*"
    QByteArray Command;    // "TRK", "WPL", "RTE", "CMD", "CSM", "VER", ...
    QByteArray Fields[11]; // 1..10 used; missing fields empty
    QByteArray Field(int N) const { return N >= 1 && N <= 10 ? Fields[N] : QByteArray(); }
};

// The receive buffer. Consumed by an offset, compacted only now and then, so taking many
// buffered sentences costs time in proportion to their bytes.
class TMgnReader
{
public:
    enum TResult
    {
        None = 0, // no complete sentence
        Good = 1,
        Bad = 2 // a sentence whose checksum does not match (dropped)
    };
    void Append(QByteArrayView Bytes);
    // The next sentence of the buffer, when one is complete. Bytes before a "$" are dropped;
    // a buffer without "$" is emptied; past MaxPending bytes without CR LF what precedes the
    // last "$" is dropped.
    TResult Next(TMgnSentence& S);
    void Clear();
    qsizetype Pending() const { return fBuf.size() - fPos; }
    static constexpr qsizetype MaxPending = 1024;

private:
    void Compact();
    QByteArray fBuf;
    qsizetype fPos = 0;
};

// Latitude "ddmm.mmm" (longitude "dddmm.mmm") with its hemisphere field, into 1e-5 degree.
bool MgnParseLatLong(QByteArrayView Text, QByteArrayView Hemisphere, int32& Value);
// "hhmmss.ss" ("." as 7th character) into 1e-5 hour.
bool MgnParseTime(QByteArrayView Text, int32& Value);
// Whole metres, "F" as unit meaning feet.
bool MgnParseAlt(QByteArrayView Text, QByteArrayView Unit, int32& Metres);
// "ddmmyy": years 80..99 are 19yy, 00..79 20yy. A field shorter than 6 characters is Today.
bool MgnParseDate(QByteArrayView Text, TDateTime Today, TDateTime& Date);
// Date-time from a date and a time in 1e-5 hour; false outside 1989-12-30 .. 2050-12-31 00:00.
bool MgnDateTime(TDateTime Date, int32 Time, TDateTime& T);

// Latitude and longitude fields for a waypoint sent to the receiver.
QByteArray MgnLatField(int32 Lat);
QByteArray MgnLonField(int32 Lon);

// The waypoint names of a received route sentence, in order. eXplorist receivers put the
// route's name after its number: when field 6 is not a one-character icon and field 7 is,
// field 5 is the name and the waypoints are fields 6 and 8.
QStringList MgnRouteNames(const TMgnSentence& S);

// Fields 1-4 of a "TRK" or "WPL" sentence: latitude with "N"/"S", longitude with "E"/"W".
bool MgnParsePosition(const TMgnSentence& S, TPos& P);
// A waypoint of a "WPL" sentence; false when a field is bad (position, altitude).
bool MgnParseWpl(const TMgnSentence& S, TWptBase& W);
