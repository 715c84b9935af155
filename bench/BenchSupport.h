#pragma once
// What the benches share: the run of the benchmarks named on the command line, the peak memory
// of the process, a real flight with its task, a page to print on, and a serial link that only knows whether
// it is open, for the links that move bytes on a virtual clock.
#include "devices/DeviceSession.h"
#include "files/IgcFile.h"
#include "model/Define.h"
#include "model/Sector.h"
#include "print/PrintPage.h"

#include <QImage>

#include <benchmark/benchmark.h>
#include <sys/resource.h>

// 1 when an argument names no benchmark option.
inline int RunBenchmarks(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

inline double PeakRssMB()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss / 1024.0;
}

// A fresh model holding a flight with its task, the turn points reached; false, and the bench
// skipped, when the file cannot be read.
inline bool LoadFlightWithTask(benchmark::State& state)
{
    ModelDone();
    ModelInit();
    TReadReport r;
    if (!LoadIgcTrj(QStringLiteral(ZPH_TESTDATA "/igc/01lz1hq1.igc"), true, r)) {
        state.SkipWithError("no flight");
        return false;
    }
    FindReachedTrn();
    return true;
}

// A 600-dpi A4 page image and the context of a print on it.
struct TPageImage
{
    QImage Img{4961, 7016, QImage::Format_RGB32};
    TPageContext C;
    TPageImage()
    {
        Img.setDotsPerMeterX(23622);
        Img.setDotsPerMeterY(23622);
        C.PxPerMmX = C.PxPerMmY = 600 / MmPerInch;
        C.PageRect = {236, 236, 4961 - 236, 7016 - 236};
        C.Printing = true;
    }
};

// Port, speed and stop bits make no difference to a line in virtual time.
class VirtualLinkBase : public ISerialLink
{
public:
    void SetPort(const QString&) override {}
    void SetBaudRate(TBaudRate) override {}
    void SetStopBits(TStopBits) override {}
    void Open() override { fOpen = true; }
    void Close() override { fOpen = false; }
    bool Connected() const override { return fOpen; }
    void ClearBuffer(bool, bool) override {}

private:
    bool fOpen = false;
};
