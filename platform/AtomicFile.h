#pragma once
// The one way the program replaces a file: the new bytes go to a temporary file in the target's
// folder, every write, the sync and the close are checked, and only then is the temporary file
// renamed over the target. On any failure the old file is left byte for byte as it was and the
// temporary file is removed.
#include <QByteArray>
#include <QString>

// False with Reason set to the system's text for the failure ("No space left on device",
// "File too large", "Permission denied", ...). A target whose permission bits allow no write
// is refused even for a user who could replace it (root); an overwrite keeps the old file's
// permissions (and its owner where the process may set it); a symbolic link is followed and
// the file it names is replaced.
bool WriteFileAtomic(const QString& FileName, const QByteArray& Data, QString& Reason);

// The system's text for an errno value.
QString SystemErrorText(int Err);
