// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "oscillation.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <filesystem>
#include <optional>

// What a teacher prepares for a lesson: the nine texts of the window's three rows, exactly as
// typed, and an optional title.
struct Lesson
{
    QString title;
    std::array<OscillationTexts, 3> rows;
    // Whether the sum's envelope is drawn over the picture.
    bool envelope = false;
};

// A lesson in a file of its own, UTF-8 JSON:
//
//   {
//       "format": "vibraton-hodnoty",
//       "version": 1,
//       "title": "Rázy",
//       "rows": [
//           {"frequency": "8", "phase": "0", "amplitude": "20"},
//           {"frequency": "9", "phase": "0", "amplitude": "20"},
//           {"frequency": "1", "phase": "0", "amplitude": "0"}
//       ]
//   }
//
// The phase is in degrees. The texts are never read as numbers here: "1,5" stays "1,5", so a
// file keeps what was typed whatever the locale, and the window judges the texts as it judges
// typing. The title may be left out.
namespace LessonFile {

inline const QString Suffix = QStringLiteral("vibraton");
inline const QString MimeType = QStringLiteral("application/x-vibraton");
inline const QString FormatName = QStringLiteral("vibraton-hodnoty");
// Version 2 adds "envelope": true. A lesson without the envelope is written as version 1,
// which every earlier version of the program opens.
inline constexpr int Version = 2;
// Nine texts of any sensible length fit many times over. A larger file is refused with no
// more than this read, so a wrong file (a film, a device that never ends) can't fill the
// memory.
inline constexpr qint64 MaximumSize = 1'000'000;

// A lesson, or in Czech why there is none.
struct Reading
{
    std::optional<Lesson> lesson;
    QString reason;
};

// The file's bytes: indented, one row to a line, in the window's order of the fields. A title
// that is empty is left out.
QByteArray encode(const Lesson &lesson);

// All or nothing: a lesson only from a file without a single fault, else the first fault
// found. Needs no file, so any bytes at all can be tried; they only ever give one or the other.
// Every number JSON allows is a number, also one beyond a double's range: a version of 1e400
// is a newer version, not a file that isn't JSON.
Reading decode(const QByteArray &data);

// decode() of a file's contents, or why the file can't be read. The name is the system's own,
// bytes on Linux that need not be UTF-8. Only a regular file is opened: a folder, a named pipe,
// a device or a socket is refused from its status alone, so nothing waits for a writer, and
// no more than MaximumSize + 1 bytes are read, so a file that never ends is refused too.
Reading read(const std::filesystem::path &fileName);

// A name as Qt gives it (a file dialog's, a dropped file's) as the system takes it.
std::filesystem::path systemName(const QString &fileName);

// A name as a message shows it: the system's separators, and each byte that isn't UTF-8 (Qt's
// encoding of names on Linux) as U+FFFD, as the name is seen in a file manager.
QString shownName(const std::filesystem::path &fileName);

} // namespace LessonFile
