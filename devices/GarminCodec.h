#pragma once
// What the Garmin receivers' records hold, both ways, without any link or window: little-endian
// fields, positions in semicircles, float altitudes, times in seconds since 1989-12-31, the
// product data, the protocol array and the default protocols by product, and the waypoint,
// route and track records by their D type.
#include "model/Define.h"

#include <QByteArray>
#include <QString>
#include <cstdint>

// ---- Fields ----------------------------------------------------------------------------------

int16_t GarminBytesToInt16(const QByteArray& B, int Offset = 0); // 0 past the end
QByteArray GarminInt16ToBytes(int16_t V);
int32_t GarminBytesToInt32(const QByteArray& B, int Offset = 0);
QByteArray GarminInt32ToBytes(int32_t V);

// Latitude then longitude, signed 32-bit semicircles, to 1e-5 degree. False when the record is
// too short or the latitude lies beyond 90 degrees.
bool GarminDecodePos(const QByteArray& B, int Offset, int32& Lat, int32& Lon);
// The other way, computed in 64 bits; 180 degrees wraps to -2^31.
QByteArray GarminEncodePos(int32 Lat, int32 Lon);
// Float metres to whole metres (half to even); beyond 16 bits or not a number gives 0.
int32 GarminDecodeAlt(const QByteArray& B, int Offset);
QByteArray GarminEncodeAlt(int32 Alt);
// The float 1.0e25 receivers take for "unknown".
QByteArray GarminUnknownFloat();

// Times: seconds since 1989-12-31 00:00 UTC. 0xFFFFFFFF is "no time".
constexpr uint32_t GarminNoTime = 0xFFFFFFFFu;
TDateTime GarminEpoch();                         // 1989-12-31 as a date-time
TDateTime GarminSecondsToDateTime(uint32_t Sec); // Sec other than GarminNoTime
int32 GarminTimeOfDay(TDateTime T);              // 1e-5 hour of the fractional day
// Seconds of a date-time; GarminNoTime when they do not fit 32 bits.
uint32_t GarminDateTimeToSeconds(TDateTime T);
// The window of dates a track point may carry.
bool GarminDateValid(TDateTime T);

uint8 GarminSymbolToAttr(int Symbol);
uint16_t GarminAttrToSymbol(uint8 Attr);

// ---- Identification --------------------------------------------------------------------------

struct TGarminProduct
{
    int16_t ProductId = 0;
    int16_t ProductVersion = 0;
    QString ProductDesc;
};
// False when the packet is too short to hold id and version.
bool GarminParseProduct(const QByteArray& Data, TGarminProduct& P);

// Protocols and record types as numbers (A100 is 100, D108 is 108); 0 means none.
struct TGarminProtocols
{
    int16_t LinkProt = 0;
    int16_t WptProt = 0, WptType = 0;
    int16_t RteProt = 0, RteHdrType = 0, RteWptType = 0, RteLinkType = 0;
    int16_t TrkProt = 0, TrkHdrType = 0, TrkPtType = 0;
    bool operator==(const TGarminProtocols&) const = default;
};
// The built-in table for receivers that send no protocol array.
TGarminProtocols GarminDefaultProtocols(int ProductId, int ProductVersion);
// The receiver's protocol array (tags of a letter and a 16-bit number); replaces everything.
TGarminProtocols GarminParseProtocolArray(const QByteArray& Data);
// Tags for a protocol array, e.g. "A010 A100 D108" (what a receiver would send).
QByteArray GarminProtocolTags(const QString& Tags);

// ---- Records ---------------------------------------------------------------------------------

// Waypoint and route waypoint records. Decoding fills position, name (15 characters at most),
// comment (90), altitude and attributes and leaves the rest; false for a type with no layout
// or a record too short for it, or a bad position.
bool GarminDecodeWpt(int Type, const QByteArray& Data, TWptBase& W);
bool GarminCanEncodeWpt(int Type);
// Empty for a type with no layout.
QByteArray GarminEncodeWpt(int Type, const TWptBase& W);

struct TGarminTrkPt
{
    int32 Lat = 0, Lon = 0;
    uint32_t Time = GarminNoTime; // seconds since 1989-12-31
    int32 Alt = 0;
    bool NewTrack = false;
};
bool GarminDecodeTrkPt(int Type, const QByteArray& Data, TGarminTrkPt& P);
bool GarminCanEncodeTrkPt(int Type);
QByteArray GarminEncodeTrkPt(int Type, const TGarminTrkPt& P);
// D310 header: shown, default colour, the name (50 characters at most).
QByteArray GarminEncodeTrkHdr(const QString& Name);

// Route headers. Decoding gives the name (D202) or the route number as text (others); encoding
// of D200 and D201 needs a whole number (false otherwise); types other than D200..D202 have
// no layout.
bool GarminCanEncodeRteHdr(int Type);
bool GarminEncodeRteHdr(int Type, const QString& Name, QByteArray& Data);
QString GarminDecodeRteHdr(int Type, const QByteArray& Data);
// D210 link as written.
QByteArray GarminEncodeRteLink();
