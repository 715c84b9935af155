#pragma once
// A pseudo-terminal for end-to-end device tests: our port opens the slave side by its path,
// a simulated device reads and writes the master side. The fixture keeps one descriptor of
// the slave open all along, so that closing our port does not hang the line up, and uses it
// only to wait for input (the poll before a tick) — never to read.
#include <QByteArray>
#include <QString>

class PtyFixture
{
public:
    PtyFixture();
    ~PtyFixture();
    PtyFixture(const PtyFixture&) = delete;
    PtyFixture& operator=(const PtyFixture&) = delete;

    bool Ok() const { return fMaster >= 0 && fSlave >= 0; }
    const QString& Error() const { return fError; }
    const QString& SlavePath() const { return fSlavePath; }
    int MasterFd() const { return fMaster; }
    int SlaveFd() const { return fSlave; }

    // Points "COMn" at the slave: key "Device_COMn" of section "Interface" of the INI file.
    bool BindPort(int n) const;

    // Device side. WriteMaster writes every byte (waiting for room at most timeoutMs).
    bool WriteMaster(const QByteArray& bytes, int timeoutMs = 2000);
    // What our side wrote: waits at most timeoutMs for the first byte, then takes what is there.
    QByteArray ReadMaster(int timeoutMs = 0);
    // Reads until count bytes came or timeoutMs passed.
    QByteArray ReadMasterExactly(int count, int timeoutMs = 2000);

    // Our side: waits until the slave has at least count bytes to read (the poll before a tick).
    bool WaitSlaveQueued(int count = 1, int timeoutMs = 2000) const;
    int SlaveQueued() const;

    // The device goes away: the master is closed.
    void HangUp();

private:
    int fMaster = -1;
    int fSlave = -1;
    QString fSlavePath;
    QString fError;
};
