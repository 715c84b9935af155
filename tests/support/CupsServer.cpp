#include "CupsServer.h"

#include <QDir>
#include <QFile>
#include <QThread>

namespace {

bool WriteText(const QString& Path, const QString& Text)
{
    QFile f(Path);
    if (!f.open(QIODevice::WriteOnly)) return false;
    return f.write(Text.toUtf8()) >= 0;
}

} // namespace

QStringList TCupsServer::Run(const QString& Program, const QStringList& Args, int* ExitCode) const
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(Program, Args);
    p.waitForFinished(30000);
    if (ExitCode) *ExitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    return QString::fromLocal8Bit(p.readAll()).split(u'\n', Qt::SkipEmptyParts);
}

bool TCupsServer::Start(QString& Error)
{
    if (!fDir.isValid()) {
        Error = QStringLiteral("no temporary folder");
        return false;
    }
    const QString root = fDir.path();
    for (const char* d : {"conf", "spool", "cache", "state", "log", "tmp"})
        QDir(root).mkpath(QString::fromLatin1(d));
    const QString conf = root + QStringLiteral("/conf");
    const QString cupsd =
        QStringLiteral(
            "Listen %1\nLogLevel warn\nDirtyCleanInterval 0\nPreserveJobFiles Yes\nPreserveJobHistory Yes\n"
            "WebInterface No\nBrowsing No\n"
            "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
            "<Location /admin>\n  Order allow,deny\n  Allow all\n</Location>\n"
            "<Policy default>\n  <Limit All>\n    Order deny,allow\n  </Limit>\n</Policy>\n")
            .arg(Socket());
    const QString files =
        QStringLiteral("ServerRoot %1/conf\nRequestRoot %1/spool\nCacheDir %1/cache\n"
                       "StateDir %1/state\nTempDir %1/tmp\nErrorLog %1/log/error_log\n"
                       "AccessLog %1/log/access_log\nPageLog %1/log/page_log\nFileDevice Yes\n"
                       "SystemGroup root\n")
            .arg(root);
    if (!WriteText(conf + QStringLiteral("/cupsd.conf"), cupsd) ||
        !WriteText(conf + QStringLiteral("/cups-files.conf"), files)) {
        Error = QStringLiteral("cannot write the configuration");
        return false;
    }
    qputenv("CUPS_SERVER", Socket().toUtf8());
    fProc.setProcessChannelMode(QProcess::MergedChannels);
    fProc.start(QStringLiteral("/usr/sbin/cupsd"),
                {QStringLiteral("-f"), QStringLiteral("-c"), conf + QStringLiteral("/cupsd.conf"),
                 QStringLiteral("-s"), conf + QStringLiteral("/cups-files.conf")});
    if (!fProc.waitForStarted(10000)) {
        Error = QStringLiteral("cupsd: ") + fProc.errorString();
        return false;
    }
    for (int i = 0; i < 200; ++i) {
        if (fProc.state() != QProcess::Running) break;
        int rc = 1;
        const QStringList out = Run(QStringLiteral("lpstat"), {QStringLiteral("-r")}, &rc);
        if (rc == 0 && !out.isEmpty() && out.first().contains(QStringLiteral("is running"))) return true;
        QThread::msleep(50);
    }
    Error = QStringLiteral("cupsd did not answer: ") + QString::fromLocal8Bit(fProc.readAll());
    Stop();
    return false;
}

void TCupsServer::Stop()
{
    if (fProc.state() == QProcess::NotRunning) return;
    fProc.terminate(); // SIGTERM to our own scheduler's process id
    if (!fProc.waitForFinished(10000)) {
        fProc.kill();
        fProc.waitForFinished(5000);
    }
}

bool TCupsServer::AddQueue(const QString& Name, bool MakeDefault, QString& Error, const QString& Ppd)
{
    int rc = 1;
    QStringList args = {QStringLiteral("-p"), Name, QStringLiteral("-E"), QStringLiteral("-v"),
                        QStringLiteral("file:///dev/null")};
    args << (Ppd.isEmpty() ? QStringList{QStringLiteral("-m"), QStringLiteral("raw")}
                           : QStringList{QStringLiteral("-P"), Ppd});
    QStringList out = Run(QStringLiteral("lpadmin"), args, &rc);
    if (rc == 0 && MakeDefault) out = Run(QStringLiteral("lpadmin"), {QStringLiteral("-d"), Name}, &rc);
    if (rc != 0) Error = out.join(u'\n');
    return rc == 0;
}

QStringList TCupsServer::Jobs(const QString& Which) const
{
    return Run(QStringLiteral("lpstat"), {QStringLiteral("-W"), Which, QStringLiteral("-o")});
}

bool TCupsServer::WaitCompleted(int Count) const
{
    for (int i = 0; i < 200; ++i) {
        if (Jobs(QStringLiteral("completed")).size() >= Count) return true;
        QThread::msleep(50);
    }
    return false;
}

QByteArray TCupsServer::ControlFile(int Job) const
{
    // The scheduler writes it a moment after the job changes state.
    QFile f(fDir.filePath(QStringLiteral("spool/c%1").arg(Job, 5, 10, QLatin1Char('0'))));
    for (int i = 0; i < 100; ++i) {
        if (f.open(QIODevice::ReadOnly)) {
            const QByteArray data = f.readAll();
            f.close();
            if (!data.isEmpty()) return data;
        }
        QThread::msleep(50);
    }
    return QByteArray();
}

QByteArray TCupsServer::DataFile(int Job) const
{
    QFile f(fDir.filePath(QStringLiteral("spool/d%1-001").arg(Job, 5, 10, QLatin1Char('0'))));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
