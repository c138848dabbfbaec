#pragma once

#include <QString>

// Fixed texts of the update check, kept exactly as the program has always
// shown them ("availiable" and the double blanks included).
namespace UpdateTexts
{

inline const QString kTitle = QStringLiteral("Auto Update");
inline const QString kNoInformation =
    QStringLiteral("Unable to retrieve update information.  Please try again later.");
inline const QString kCurrent =
    QStringLiteral("Your version is the most current version availiable");
inline const QString kNewVersion =
    QStringLiteral("A new version of Jacketeer is availiable.  Would you like to download it now?");

// The local copy of the update information page, in the application folder.
inline const QString kLocalCopy = QStringLiteral("version.jkv");
// The program file of a version is this prefix followed by the version text.
inline const QString kProgramPrefix = QStringLiteral("jacketeer");

inline const QString kBodyOpen = QStringLiteral("<body>");
inline const QString kBodyClose = QStringLiteral("</body>");

} // namespace UpdateTexts
