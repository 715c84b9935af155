#include "SimNmea.h"

#include <cmath>

namespace {

QByteArray Fixed(double v, int decimals, int width)
{
    return QByteArray::number(v, 'f', decimals).rightJustified(width, '0');
}

QByteArray Angle(double deg, int degDigits, char pos, char neg)
{
    const double a = std::fabs(deg);
    int d = static_cast<int>(a);
    double m = (a - d) * 60.0;
    if (std::round(m * 10000) >= 600000) {
        ++d;
        m = 0;
    }
    return QByteArray::number(d).rightJustified(degDigits, '0') + Fixed(m, 4, 7) + "," +
           (deg < 0 ? neg : pos);
}

QByteArray Hms(const QTime& t)
{
    return t.toString("hhmmss").toLatin1();
}

} // namespace

QByteArray TSimNmea::Lat(double lat)
{
    return Angle(lat, 2, 'N', 'S');
}

QByteArray TSimNmea::Lon(double lon)
{
    return Angle(lon, 3, 'E', 'W');
}

QByteArray TSimNmea::Rmc(const QTime& utc, const QDate& date, double lat, double lon, double knots,
                         double course, bool valid)
{
    return NmeaSentence("GPRMC," + Hms(utc) + "," + (valid ? "A" : "V") + "," + Lat(lat) + "," + Lon(lon) +
                        "," + Fixed(knots, 1, 5) + "," + Fixed(course, 1, 5) + "," +
                        date.toString("ddMMyy").toLatin1() + ",,,A");
}

QByteArray TSimNmea::Gga(const QTime& utc, double lat, double lon, double altMetres, int satellites)
{
    return NmeaSentence("GPGGA," + Hms(utc) + "," + Lat(lat) + "," + Lon(lon) + ",1," +
                        QByteArray::number(satellites).rightJustified(2, '0') + ",1.0," +
                        QByteArray::number(altMetres, 'f', 1) + ",M,48.0,M,,");
}

QByteArray TSimNmea::Pgrmz(int feet)
{
    return NmeaSentence("PGRMZ," + QByteArray::number(feet) + ",f,3");
}

void TSimNmea::OnIdle()
{
    for (int i = 0; i < SentencesPerPump && !Queue.isEmpty(); ++i) Send(Queue.takeFirst());
}
