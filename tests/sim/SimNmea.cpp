#include "SimNmea.h"

#include <QFile>
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
    if (SentencesPerSecond <= 0) {
        for (int i = 0; i < SentencesPerPump && !Queue.isEmpty(); ++i) Send(Queue.takeFirst());
        return;
    }
    const auto now = std::chrono::steady_clock::now();
    if (!fStarted) {
        if (Queue.isEmpty()) return;
        fStarted = true;
        fStart = now;
        fSent = 0;
    }
    const double secs = std::chrono::duration<double>(now - fStart).count();
    const int64_t due = int64_t(secs * SentencesPerSecond) + 1;
    for (; fSent < due && !Queue.isEmpty(); ++fSent) Send(Queue.takeFirst());
}

QList<QByteArray> TSimNmea::Capture(const QString& path)
{
    QList<QByteArray> out;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return out;
    for (QByteArray line : f.readAll().split('\n')) {
        while (line.endsWith('\r')) line.chop(1);
        if (line.isEmpty() || line.startsWith('#')) continue;
        out << line + "\r\n";
    }
    return out;
}
