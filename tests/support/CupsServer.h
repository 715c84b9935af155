#pragma once
// A CUPS scheduler of a test's own: configuration, spool and socket in a temporary folder, a
// raw queue whose device discards what it is sent, the spool kept for inspection. CUPS_SERVER
// points the whole test program at it, so it must start before anything asks CUPS (one server
// per test program). Stopped by its process id.
#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

class TCupsServer
{
public:
    ~TCupsServer() { Stop(); }
    // Starts the scheduler and waits until it answers; false with the reason.
    bool Start(QString& Error);
    void Stop();
    // A raw queue on a device that discards its output; optionally the default one; with a PPD
    // file, the queue that file describes (its papers, ...).
    bool AddQueue(const QString& Name, bool MakeDefault, QString& Error, const QString& Ppd = QString());
    // "lpstat -W <which> -o" lines (which: completed, not-completed, all).
    QStringList Jobs(const QString& Which) const;
    // Waits until the queue holds Count completed jobs (true) or a while passes.
    bool WaitCompleted(int Count) const;
    // The scheduler's control file and first document file of a job.
    QByteArray ControlFile(int Job) const;
    QByteArray DataFile(int Job) const;
    QString Socket() const { return fDir.filePath(QStringLiteral("cups.sock")); }

private:
    QStringList Run(const QString& Program, const QStringList& Args, int* ExitCode = nullptr) const;
    QTemporaryDir fDir;
    QProcess fProc;
};
