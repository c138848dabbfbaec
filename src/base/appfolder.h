#pragma once

#include <QString>

// The application folder, where every scratch file lives ("results.html",
// "compare1.jpg", ...) and where the update check looks for the program file
// of a version: $JACKETEER_APPDIR when set, else appFolderFor() the folder
// holding the program. Created if missing. No trailing separator.
QString appFolder();

// The application folder for a program in `programFolder`: that folder while
// it is a private copy the user may write to (a build folder, an unpacked
// one); the user's data folder ($XDG_DATA_HOME/Jacketeer, usually
// ~/.local/share/Jacketeer) when it is read-only or an installed program's
// bin/ folder, which stays clean even where the user could write to it (root,
// or a prefix in the home folder).
QString appFolderFor(const QString &programFolder);

// appFolder() + "/" + name.
QString appFile(const QString &name);
