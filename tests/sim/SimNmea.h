#pragma once
// A GPS receiver that talks NMEA 0183 on its own: it sends the queued sentences, a few per
// pump, whatever the host says. Helpers build the usual sentences with their checksums.
#include "SimDevice.h"

#include <QDate>
#include <QTime>
#include <chrono>

class TSimNmea : public TSimDevice
{
public:
    using TSimDevice::TSimDevice;

    // Sentences waiting to be sent (complete, with "$", checksum and CR LF).
    QList<QByteArray> Queue;
    int SentencesPerPump = 1;
    // When above 0, the queue leaves at that many sentences a second (from the first pump that
    // finds it filled) instead of SentencesPerPump a pump.
    double SentencesPerSecond = 0;

    // The lines of a recorded log, each ended by CR LF again; comment lines ("#") and empty
    // lines are left out.
    static QList<QByteArray> Capture(const QString& path);

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

private:
    std::chrono::steady_clock::time_point fStart;
    int64_t fSent = 0;
    bool fStarted = false;
};
