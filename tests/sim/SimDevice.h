#pragma once
// Simulated devices on the master side of a pseudo-terminal. A device runs in the test's own
// thread: each Pump() takes what the host wrote, lets the protocol answer, and sends what is
// due, with the faults the test asked for applied to the answers:
//   - a byte corrupted (XOR with a mask) at a chosen offset of the output;
//   - answers split into pieces that leave one per pump, or several answers merged into one
//     write;
//   - answers dropped (the device stays silent);
//   - the line hung up after a number of answers.
//   - (line speed) no byte leaves sooner than 10 bits at the set rate after the one before it.
// Each protocol device derives from TSimDevice and implements OnBytes (and OnIdle for a device
// that talks on its own). TScriptedDevice plays a fixed exchange: expect bytes, answer bytes.
// TSimRunner pumps a device on a thread of its own, so that a window's real timer drives the
// exchange; the test takes the device's lock to look at it or change it meanwhile.
#include <QByteArray>
#include <QList>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <thread>

class PtyFixture;

class TSimDevice
{
public:
    explicit TSimDevice(PtyFixture& line);
    virtual ~TSimDevice();
    TSimDevice(const TSimDevice&) = delete;
    TSimDevice& operator=(const TSimDevice&) = delete;

    // One turn of the device; waitMs bounds the wait for the host's first byte.
    void Pump(int waitMs = 0);

    // Queues one answer unit (the faults apply to it).
    void Send(const QByteArray& unit);

    // Faults, applied to the answers from now on.
    void CorruptByte(int offset, uint8_t mask = 0x01); // offset counted in the output from now
    void SplitWrites(int pieceSize);                   // 0 ends the splitting
    void MergeWrites(int answers);                     // the next answers leave in one write
    void StaySilent(int answers = -1);                 // -1: for good; 0 speaks again
    // The line hangs up at the pump after the one that sent that many more answers (0: at the
    // next pump).
    void HangUpAfter(int answers);
    // Line speed in bit/s (10 bits a byte); 0 lets every write leave at once. Paced output
    // leaves at each pump as far as its bytes are due (split writes are then paced alike).
    void SetLineSpeed(int bitsPerSecond);
    // Held by the runner around each pump.
    std::mutex& Lock() { return fLock; }

    bool HungUp() const { return fHungUp; }
    const QByteArray& FromHost() const { return fFromHost; }
    const QByteArray& ToHost() const { return fToHost; }
    int AnswersSent() const { return fAnswers; }
    bool OutputPending() const { return !fOut.isEmpty() || !fMerged.isEmpty(); }

protected:
    virtual void OnBytes(const QByteArray& /*bytes*/) {}
    virtual void OnIdle() {}

private:
    void Enqueue(QByteArray unit);
    void Flush();
    void FlushPaced();

    PtyFixture& fLine;
    QByteArray fFromHost, fToHost;
    QList<QByteArray> fOut; // writes waiting to leave
    QByteArray fMerged;
    int fMergeLeft = 0;
    int fSilent = 0;
    int fSplit = 0;
    int64_t fOutPos = 0; // bytes of answers queued so far
    int64_t fCorruptAt = -1;
    uint8_t fCorruptMask = 0;
    int fAnswers = 0;
    int fHangUpAfter = -1;
    bool fHungUp = false;
    bool fHangUpDue = false;
    int fBitRate = 0;
    std::chrono::steady_clock::time_point fPaceStart;
    int64_t fPaceBytes = 0; // bytes sent since fPaceStart
    bool fPacing = false;
    std::mutex fLock;
};

// Pumps a device on its own thread until stopped (or destroyed).
class TSimRunner
{
public:
    explicit TSimRunner(TSimDevice& dev, int pauseUs = 300);
    ~TSimRunner();
    TSimRunner(const TSimRunner&) = delete;
    TSimRunner& operator=(const TSimRunner&) = delete;
    void Stop();

private:
    TSimDevice& fDev;
    std::atomic<bool> fStop{false};
    std::thread fThread;
};

// A fixed exchange: when the host's bytes begin with the next step's expected bytes, they are
// consumed and the step's answer is sent.
class TScriptedDevice : public TSimDevice
{
public:
    using TSimDevice::TSimDevice;
    TScriptedDevice& Expect(const QByteArray& bytes, const QByteArray& answer = QByteArray());
    bool Done() const { return fNext >= fSteps.size(); }
    // Host bytes that matched no step.
    const QByteArray& Unmatched() const { return fBuffer; }

protected:
    void OnBytes(const QByteArray& bytes) override;

private:
    struct Step
    {
        QByteArray expect, answer;
    };
    QList<Step> fSteps;
    int fNext = 0;
    QByteArray fBuffer;
};

// Helpers shared by the text protocols: "$" body "*" XOR checksum CR LF.
QByteArray NmeaChecksum(const QByteArray& body);
QByteArray NmeaSentence(const QByteArray& body);
