// What the process is given before its application object.
#include "app/Main.h"
#include "platform/AtomicFile.h"

#include <QFile>
#include <QTemporaryDir>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

// Under a file-size limit, a plain write past it (a link trace, a print: not an atomic save)
// fails with the system's reason instead of ending the program, from the start on.
TEST(StartUp, AFileSizeLimitFailsTheWriteInsteadOfEndingTheProgram)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("_Zph-1.log"));
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // A process as the shell starts it, nothing written yet.
        signal(SIGXFSZ, SIG_DFL);
        PrepareProcess();
        rlimit rl{4096, 4096};
        setrlimit(RLIMIT_FSIZE, &rl);
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) _exit(2);
        const qint64 n = f.write(QByteArray(10000, 'x'));
        // A partial write first, then the refusal.
        const qint64 m = f.write(QByteArray(100, 'x'));
        const bool tooLarge = n < 10000 && m < 0 && f.errorString().contains(QLatin1String("File too large"));
        _exit(tooLarge ? 0 : 3);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_FALSE(WIFSIGNALED(status)) << "ended by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 0);
}
