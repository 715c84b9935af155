#include "SimDevice.h"

#include "support/PtyFixture.h"

#include <algorithm>

TSimDevice::TSimDevice(PtyFixture& line) : fLine(line) {}

TSimDevice::~TSimDevice() = default;

void TSimDevice::Pump(int waitMs)
{
    if (fHungUp) return;
    if (fHangUpDue) {
        fLine.HangUp();
        fHungUp = true;
        return;
    }
    const QByteArray in = fLine.ReadMaster(waitMs);
    if (!in.isEmpty()) {
        fFromHost += in;
        OnBytes(in);
    }
    OnIdle();
    Flush();
}

void TSimDevice::Send(const QByteArray& unit)
{
    if (fHungUp || unit.isEmpty()) return;
    if (fSilent != 0) {
        if (fSilent > 0) --fSilent;
        return;
    }
    QByteArray u = unit;
    if (fCorruptAt >= fOutPos && fCorruptAt < fOutPos + u.size()) {
        u[static_cast<qsizetype>(fCorruptAt - fOutPos)] ^= static_cast<char>(fCorruptMask);
        fCorruptAt = -1;
    }
    fOutPos += u.size();
    ++fAnswers;
    if (fMergeLeft > 0) {
        fMerged += u;
        if (--fMergeLeft > 0) return;
        u = fMerged;
        fMerged.clear();
    }
    Enqueue(u);
}

void TSimDevice::Enqueue(QByteArray unit)
{
    if (fSplit <= 0) {
        fOut << unit;
        return;
    }
    for (qsizetype i = 0; i < unit.size(); i += fSplit) fOut << unit.mid(i, fSplit);
}

void TSimDevice::Flush()
{
    if (fBitRate > 0) {
        FlushPaced();
        return;
    }
    // Split answers leave one piece per pump; others all at once, one write per unit.
    const int writes = fSplit > 0 ? 1 : static_cast<int>(fOut.size());
    for (int i = 0; i < writes && !fOut.isEmpty(); ++i) {
        const QByteArray w = fOut.takeFirst();
        fLine.WriteMaster(w);
        fToHost += w;
    }
    // The line goes down at the next pump, so that the host can take the last answer (a
    // hang-up drops what the line still holds).
    if (fHangUpAfter >= 0 && fAnswers >= fHangUpAfter && fOut.isEmpty()) fHangUpDue = true;
}

void TSimDevice::FlushPaced()
{
    using namespace std::chrono;
    const auto now = steady_clock::now();
    const double byteNs = 10e9 / fBitRate;
    if (!fOut.isEmpty()) {
        // A line that has gone quiet starts its pace again with the next byte.
        const auto lineFree = fPaceStart + nanoseconds(int64_t(double(fPaceBytes) * byteNs));
        if (!fPacing || now > lineFree) {
            fPaceStart = now;
            fPaceBytes = 0;
            fPacing = true;
        }
        int64_t due =
            int64_t(double(duration_cast<nanoseconds>(now - fPaceStart).count()) / byteNs) + 1 - fPaceBytes;
        while (due > 0 && !fOut.isEmpty()) {
            QByteArray& w = fOut.first();
            const qsizetype n = std::min<qsizetype>(due, w.size());
            const QByteArray part = w.left(n);
            fLine.WriteMaster(part);
            fToHost += part;
            w.remove(0, n);
            if (w.isEmpty()) fOut.removeFirst();
            due -= n;
            fPaceBytes += n;
        }
    }
    if (fHangUpAfter >= 0 && fAnswers >= fHangUpAfter && fOut.isEmpty()) fHangUpDue = true;
}

void TSimDevice::SetLineSpeed(int bitsPerSecond)
{
    fBitRate = bitsPerSecond > 0 ? bitsPerSecond : 0;
    fPacing = false;
}

void TSimDevice::CorruptByte(int offset, uint8_t mask)
{
    fCorruptAt = fOutPos + offset;
    fCorruptMask = mask;
}

void TSimDevice::SplitWrites(int pieceSize)
{
    fSplit = pieceSize;
}

void TSimDevice::MergeWrites(int answers)
{
    fMergeLeft = answers;
}

void TSimDevice::StaySilent(int answers)
{
    fSilent = answers;
}

void TSimDevice::HangUpAfter(int answers)
{
    fHangUpAfter = fAnswers + answers;
    if (answers <= 0) fHangUpDue = true;
}

// ---- TScriptedDevice -------------------------------------------------------------------------

TScriptedDevice& TScriptedDevice::Expect(const QByteArray& bytes, const QByteArray& answer)
{
    fSteps << Step{bytes, answer};
    return *this;
}

void TScriptedDevice::OnBytes(const QByteArray& bytes)
{
    fBuffer += bytes;
    while (fNext < fSteps.size() && fBuffer.startsWith(fSteps[fNext].expect)) {
        fBuffer.remove(0, fSteps[fNext].expect.size());
        Send(fSteps[fNext].answer);
        ++fNext;
    }
}

// ---- Text helpers ----------------------------------------------------------------------------

QByteArray NmeaChecksum(const QByteArray& body)
{
    uint8_t x = 0;
    for (char c : body) x ^= static_cast<uint8_t>(c);
    return QByteArray::number(x, 16).toUpper().rightJustified(2, '0');
}

QByteArray NmeaSentence(const QByteArray& body)
{
    return "$" + body + "*" + NmeaChecksum(body) + "\r\n";
}

// ---- TSimRunner ------------------------------------------------------------------------------

TSimRunner::TSimRunner(TSimDevice& dev, int pauseUs) : fDev(dev)
{
    fThread = std::thread([this, pauseUs] {
        while (!fStop.load()) {
            {
                std::lock_guard<std::mutex> g(fDev.Lock());
                fDev.Pump(0);
            }
            std::this_thread::sleep_for(std::chrono::microseconds(pauseUs));
        }
    });
}

TSimRunner::~TSimRunner()
{
    Stop();
}

void TSimRunner::Stop()
{
    fStop = true;
    if (fThread.joinable()) fThread.join();
}
