#pragma once
// The one way the program replaces a file: the new bytes go to a temporary file in the target's
// folder, every write, the sync and the close are checked, and only then is the temporary file
// renamed over the target. On any failure the old file is left byte for byte as it was and the
// temporary file is removed. The temporary file is named ".zph-<pid>-<n>-<random>.tmp" and
// locked (flock) while it is written.
#include <QByteArray>
#include <QString>
#include <sys/types.h>

// False with Reason set to the system's text for the failure ("No space left on device",
// "File too large", "Permission denied", ...). A target whose permission bits allow no write
// is refused even for a user who could replace it (root); an overwrite keeps the old file's
// permissions (and its owner where the process may set it); a symbolic link is followed and
// the file it names is replaced.
bool WriteFileAtomic(const QString& FileName, const QByteArray& Data, QString& Reason);

// Removes the temporary files of saves that never finished in Folder (their program was
// killed): files of our temporary names whose process is gone and that no one holds locked.
// Every save does it for its own folder first.
void RemoveStaleTempFiles(const QString& Folder);
// A process of that id may still run: it exists, or it cannot be signalled (taken as running).
// A leftover of ours is removed only when this says no.
bool ProcessMayRun(pid_t Pid);

// Makes a file-size limit fail the write that meets it ("File too large") instead of ending the
// program; done once at start-up, and by every atomic write for programs that skip it.
void IgnoreFileSizeSignal();

// The system's text for an errno value.
QString SystemErrorText(int Err);
