// Magellan transfers in virtual time: a track log of TRK sentences at 4800 and 115200 bit/s
// (10 bits a byte) delivered at line speed while the session ticks on a virtual clock, with
// and without the handshake; and the receive buffer taking many buffered sentences.
#include "devices/MagellanLink.h"
#include "devices/MagellanSession.h"
#include "model/Calc.h"
#include "model/Define.h"
#include "platform/Msg.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

QList<QByteArray> TrackSentences(int n)
{
    QList<QByteArray> l;
    for (int i = 0; i < n; ++i) {
        const int s = 36000 + i;
        const QByteArray time = QByteArray::number(s / 3600).rightJustified(2, '0') +
                                QByteArray::number(s / 60 % 60).rightJustified(2, '0') +
                                QByteArray::number(s % 60).rightJustified(2, '0') + ".00";
        l << MgnSentence("TRK", {"4512.345", "N", "00612.345", "E", QByteArray::number(1000 + i % 500), "M",
                                 time, "A", "", "150726"});
    }
    return l;
}

class QuietUi : public IDeviceStatus, public IDeviceProgress, public TMsgPrompts, public IDeviceTimer
{
public:
    bool On = false;
    int Ms = 40;
    QString Text;
    TDeviceUi Ui()
    {
        TDeviceUi u;
        u.Status = this;
        u.Progress = this;
        u.Prompts = this;
        u.Timer = this;
        return u;
    }
    void SetInfo(const QString& t) override { Text = t; }
    QString InfoText() const override { return Text; }
    void SetProgress(int) override {}
    void SetTimerEnabled(bool o) override { On = o; }
    bool TimerEnabled() const override { return On; }
    void SetTimerInterval(int m) override { Ms = m; }
    int TimerInterval() const override { return Ms; }
};

// The receiver on a line of the given speed in virtual time: each sentence leaves once the
// line is free, one byte every 10 bit times; the host's sentences reach it after their own
// line time. With the handshake it sends the next sentence when the host acknowledged one.
class VirtualReceiver : public ISerialLink
{
public:
    VirtualReceiver(int Bits, QList<QByteArray> Track) : fRate(Bits / 10.0 / 1000.0), fTrack(std::move(Track))
    {
    }
    double Now = 0; // ms
    double TrackStart = -1, TrackLineMs = 0;

    void SetPort(const QString&) override {}
    void SetBaudRate(TBaudRate) override {}
    void SetStopBits(TStopBits) override {}
    void Open() override { fOpen = true; }
    void Close() override { fOpen = false; }
    bool Connected() const override { return fOpen; }
    void ClearBuffer(bool, bool) override {}
    QByteArray Read(int Count) override
    {
        QByteArray out;
        while (out.size() < Count && !fSegs.isEmpty()) {
            Seg& s = fSegs.first();
            const qsizetype due = qMin<qsizetype>(s.Bytes.size(), qsizetype((Now - s.Start) * fRate));
            if (due <= s.Taken) break;
            const qsizetype n = qMin<qsizetype>(due - s.Taken, Count - out.size());
            out += s.Bytes.mid(s.Taken, n);
            s.Taken += n;
            if (s.Taken < s.Bytes.size()) break;
            fSegs.removeFirst();
        }
        return out;
    }
    void Write(const QByteArray& B) override
    {
        const double at = Now + B.size() / fRate;
        TMgnReader r;
        TMgnSentence m;
        r.Append(B);
        if (r.Next(m) != TMgnReader::Good) return;
        if (m.Command == "CMD" && m.Field(1) == "HANDON") fHandshake = true;
        if (m.Command == "CMD" && m.Field(1) == "HANDOFF") fHandshake = false;
        if (m.Command == "CSM") {
            if (!fWaiting || m.Field(1) != fAwaited) return;
            fWaiting = false;
            SendNext(at);
            return;
        }
        if (fHandshake) Emit(MgnSentence("CSM", {m.Checksum}), at, false);
        if (m.Command == "CMD" && m.Field(1) == "VERSION") {
            fQueue << MgnSentence("VER", {"23", "3.11", "MERIDIAN GPS"});
        } else if (m.Command == "CMD" && m.Field(1) == "TRACK") {
            fQueue += fTrack;
            fQueue << MgnSentence("CMD", {"END"});
            TrackStart = qMax(at, fLineFree);
            for (const QByteArray& s : fQueue) TrackLineMs += s.size() / fRate;
        }
        SendNext(at);
    }

private:
    struct Seg
    {
        double Start;
        QByteArray Bytes;
        qsizetype Taken = 0;
    };
    void Emit(const QByteArray& S, double At, bool Await)
    {
        const double start = qMax(At, fLineFree);
        fLineFree = start + S.size() / fRate;
        fSegs << Seg{start, S};
        if (Await && fHandshake) {
            fWaiting = true;
            fAwaited = MgnChecksum(S);
        }
    }
    void SendNext(double At)
    {
        while (!fQueue.isEmpty() && !fWaiting) Emit(fQueue.takeFirst(), At, true);
    }

    double fRate; // bytes a ms
    QList<QByteArray> fTrack, fQueue;
    QList<Seg> fSegs;
    double fLineFree = 0;
    bool fOpen = false, fHandshake = false, fWaiting = false;
    QByteArray fAwaited;
};

void BM_TrackVirtualTime(benchmark::State& state)
{
    const int n = int(state.range(0));
    const int speedIndex = int(state.range(1));
    const bool handshake = state.range(2) != 0;
    const QList<QByteArray> track = TrackSentences(n);
    double ratio = 0, virtualS = 0;
    for (auto _ : state) {
        ModelDone();
        ModelInit();
        VirtualReceiver link(TMagellanSession::Speed(speedIndex), track);
        QuietUi ui;
        TMagellanSession s(link, ui.Ui());
        s.Clock = [&link] { return qint64(link.Now); };
        s.Options.SpeedIndex = speedIndex;
        s.Options.FlowCheckBtn = handshake;
        s.DownTrk(QStringLiteral("COM1"));
        while (ui.On && link.Now < 1e8) {
            s.Tick();
            link.Now += ui.Ms;
        }
        if (!Trj || Trj->RecCount != n) state.SkipWithError("points lost");
        virtualS = (link.Now - link.TrackStart) / 1000.0;
        ratio = (link.Now - link.TrackStart) / link.TrackLineMs;
    }
    state.counters["virtual_s"] = virtualS;
    state.counters["ratio"] = ratio;
}
BENCHMARK(BM_TrackVirtualTime)
    ->Args({10000, 1, 0})
    ->Args({10000, 5, 0})
    ->Args({1000, 1, 1})
    ->Args({1000, 5, 1})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

// Sentences already buffered, taken one at a time.
void BM_BufferedSentences(benchmark::State& state)
{
    QByteArray all;
    for (const QByteArray& s : TrackSentences(int(state.range(0)))) all += s;
    for (auto _ : state) {
        TMgnReader r;
        TMgnSentence s;
        r.Append(all);
        int n = 0;
        while (r.Next(s) == TMgnReader::Good) ++n;
        if (n != state.range(0)) state.SkipWithError("sentences lost");
    }
}
BENCHMARK(BM_BufferedSentences)->Arg(20000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    QTemporaryDir home;
    qputenv("ZEPHALON_HOME", home.path().toUtf8());
    QCoreApplication app(argc, argv);
    Msg::SetHeadless(true);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
