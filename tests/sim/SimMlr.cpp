#include "SimMlr.h"

QByteArray TSimMlr::Sum16(const QByteArray& text)
{
    unsigned sum = 0;
    for (char c : text) sum += static_cast<uint8_t>(c);
    return QByteArray::number(sum & 0xFFFF, 16).toUpper().rightJustified(4, '0');
}

QByteArray TSimMlr::Command(const QByteArray& fields)
{
    const QByteArray head = "$PMLR," + fields + ",";
    return head + Sum16(head) + "\r\n";
}

QList<QByteArray> TSimMlr::Blocks(char kindLetter, int startBlock, const QList<QByteArray>& records,
                                  int perBlock)
{
    const char kindByte = kindLetter == 'T' ? 0x01 : 0x02;
    QList<QByteArray> blocks;
    QByteArray start;
    start += char(0x8B);
    start += char(startBlock);
    start += kindLetter;
    start += kindByte;
    start += "DEBUT";
    start += char(0x02);
    start += kindLetter == 'T' ? char('T' + startBlock) : char('X' + startBlock); // T/U track, X/Y waypoints
    start += "\r\n";
    blocks << start;
    int number = startBlock + 1;
    for (qsizetype i = 0; i < records.size(); i += perBlock, ++number) {
        const QList<QByteArray> part = records.mid(i, perBlock);
        QByteArray b;
        b += char(0x8B);
        b += char(number);
        b += kindLetter;
        b += kindByte;
        b += char(0);
        b += char(part.size());
        for (const QByteArray& r : part) b += r;
        unsigned sum = 0;
        for (char c : b) sum += static_cast<uint8_t>(c);
        b += char((sum >> 8) & 0xFF);
        b += char(sum & 0xFF);
        b += "\r\n";
        blocks << b;
    }
    return blocks;
}

void TSimMlr::OnBytes(const QByteArray& bytes)
{
    fBuffer += bytes;
    for (qsizetype end; (end = fBuffer.indexOf("\r\n")) >= 0;) {
        const QByteArray line = fBuffer.left(end);
        fBuffer.remove(0, end + 2);
        const qsizetype cut = line.lastIndexOf(',');
        if (!line.startsWith("$PMLR,") || cut < 0 || line.mid(cut + 1) != Sum16(line.left(cut + 1))) {
            ++BadCommands;
            continue;
        }
        const QByteArray fields = line.mid(6, cut - 6);
        Commands << fields;
        if (fields == "26,01,01") {
            Send(NmeaSentence("PMLR,IDGPS,01," + IdText1 + "," + Pilot + "," + IdText2 + ","));
        } else if (fields == "24,02,0100" || fields == "24,02,0101") {
            for (const QByteArray& b : Blocks('T', StartBlock, TrackRecords, RecordsPerBlock)) Send(b);
        } else if (fields == "24,02,0300" || fields == "24,02,0301") {
            for (const QByteArray& b : Blocks('W', StartBlock, WaypointRecords, RecordsPerBlock)) Send(b);
        } else if (fields == "06,00") {
            Ended = true;
        }
    }
}

void TSimMlr::OnIdle()
{
    if (!TextMode || TextSentences.isEmpty()) return;
    for (int i = 0; i < SentencesPerPump; ++i) {
        Send(TextSentences[fTextNext]);
        fTextNext = (fTextNext + 1) % static_cast<int>(TextSentences.size());
    }
}
