#pragma once
// A GPS receiver that talks NMEA 0183 on its own: it sends the queued sentences, a few per
// pump, whatever the host says. Helpers build the usual sentences with their checksums.
#include "SimDevice.h"

#include <QDate>
#include <QTime>

class TSimNmea : public TSimDevice
{
public:
    using TSimDevice::TSimDevice;

    // Sentences waiting to be sent (complete, with "$", checksum and CR LF).
    QList<QByteArray> Queue;
    int SentencesPerPump = 1;

    // "$GPRMC": time, status A (valid) or V, position in degrees (south and west negative),
    // speed in knots, course, date.
    static QByteArray Rmc(const QTime& utc, const QDate& date, double lat, double lon, double knots = 0,
                          double course = 0, bool valid = true);
    // "$GPGGA": fix with the antenna altitude in metres.
    static QByteArray Gga(const QTime& utc, double lat, double lon, double altMetres, int satellites = 8);
    // "$PGRMZ": altitude in feet.
    static QByteArray Pgrmz(int feet);
    static QByteArray Lat(double lat); // "ddmm.mmmm,N"
    static QByteArray Lon(double lon); // "dddmm.mmmm,E"

protected:
    void OnIdle() override;
};
