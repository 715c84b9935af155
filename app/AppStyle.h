#pragma once
// The program's style: the platform's own, with the arrows of the menu bar's and tool bar's
// extension buttons drawn here. The style would read them from image files, and reading an
// image file by name loads every image plug-in of the system (Qt asks each one whether it
// reads the format before its own readers), a good part of the start-up.
class QStyle;

// The style wrapped around the application's current one (once; later calls do nothing).
void InstallAppStyle();
