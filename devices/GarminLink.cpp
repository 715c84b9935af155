#include "devices/GarminLink.h"

uint8_t GarminChecksum(const QByteArray& Bytes)
{
    unsigned sum = 0;
    for (char c : Bytes) sum += static_cast<uint8_t>(c);
    return static_cast<uint8_t>((256 - (sum & 0xFF)) & 0xFF);
}

QByteArray GarminFrame(uint8_t Id, const QByteArray& Data)
{
    const QByteArray data = Data.left(255);
    QByteArray body;
    body.reserve(data.size() + 3);
    body += static_cast<char>(Id);
    body += static_cast<char>(data.size());
    body += data;
    body += static_cast<char>(GarminChecksum(body));
    QByteArray out;
    out.reserve(2 * body.size() + 3);
    out += static_cast<char>(GarminDle);
    for (char c : body) {
        out += c;
        if (static_cast<uint8_t>(c) == GarminDle) out += c;
    }
    out += static_cast<char>(GarminDle);
    out += static_cast<char>(GarminEtx);
    return out;
}

void TGarminRx::Append(const QByteArray& Bytes)
{
    if (fPos > 0 && (fPos >= 4096 || fPos * 2 >= fBuf.size())) {
        fBuf.remove(0, fPos);
        fScan -= fPos;
        fPos = 0;
    }
    fBuf += Bytes;
}

void TGarminRx::Clear()
{
    fBuf.clear();
    fPos = 0;
    fScan = 0;
}

TGarminRx::TResult TGarminRx::Extract(uint8_t& Id, QByteArray& Data, QByteArray* Raw, int MaxLen)
{
    Id = 0;
    Data.clear();
    const auto* b = reinterpret_cast<const uint8_t*>(fBuf.constData());
    const qsizetype n = fBuf.size();
    qsizetype i = std::max(fScan, fPos + 1);
    qsizetype end = -1;
    // The frame's own leading DLE is not part of a run of stuffed bytes (an id 0x10 followed
    // by a size 3 would otherwise end the frame).
    const qsizetype low = fPos < n && b[fPos] == GarminDle ? fPos + 1 : fPos;
    for (; i + 1 < n; ++i) {
        if (b[i] != GarminDle || b[i + 1] != GarminEtx) continue;
        qsizetype run = 0;
        for (qsizetype k = i; k >= low && b[k] == GarminDle; --k) ++run;
        if (run % 2 == 1) {
            end = i;
            break;
        }
    }
    if (end < 0) {
        fScan = std::max(fPos + 1, n - 1);
        // No frame is longer than GarminMaxFrame: a long run without any frame end is noise,
        // of which only what may still begin a frame is kept.
        if (Pending() > 2048) {
            fBuf.remove(0, n - GarminMaxFrame);
            fPos = 0;
            fScan = fBuf.size() - 1;
        }
        return None;
    }
    const qsizetype start = fPos;
    fPos = end + 2;
    fScan = fPos + 1;
    if (Raw) *Raw = fBuf.mid(start, end - start);
    if (b[start] != GarminDle) return Bad;

    QByteArray body;
    body.reserve(end - start);
    for (qsizetype k = start + 1; k < end; ++k) {
        body += static_cast<char>(b[k]);
        if (b[k] == GarminDle && k + 1 < end && b[k + 1] == GarminDle) ++k;
    }
    if (body.size() < 3) {
        if (!body.isEmpty()) Id = static_cast<uint8_t>(body[0]);
        return Bad;
    }
    const auto sum = static_cast<uint8_t>(body.back());
    body.chop(1);
    const bool sumOk = GarminChecksum(body) == sum;
    Id = static_cast<uint8_t>(body[0]);
    const auto size = static_cast<uint8_t>(body[1]);
    const qsizetype dataLen = body.size() - 2;
    Data = body.mid(2, std::min<qsizetype>(dataLen, MaxLen));
    return sumOk && size == dataLen ? Good : Bad;
}

int GarminCheckAck(uint8_t LastTxId, uint8_t RxId, const QByteArray& RxData)
{
    if (RxData.isEmpty() || static_cast<uint8_t>(RxData[0]) != LastTxId) return 2;
    if (RxId == GarminPid::Ack) return 1;
    if (RxId == GarminPid::Nak) return 0;
    return 2;
}
