// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace SaveFile {

// Writes data to a file in one step, for every file the program writes. The data goes into a
// temporary file beside the target, which takes the target's name only once it is complete and
// on the disk: an existing file is either kept whole or replaced whole, and a failure leaves
// what was there and no temporary file.
//
// Not QSaveFile, for what the program promises beyond that:
// - A target that exists but is not a regular file (a named pipe, a device, a socket) is
//   refused from its status alone and never opened; QSaveFile doesn't tell it from a file.
// - The temporary file's name is short, so a target name as long as the system allows is saved
//   too; QSaveFile's temporary name is the target's made longer.
// - The replaced file's permissions are the new file's before any data arrives.
// - A symbolic link is followed and the file it ends at replaced, so the link stays a link; a
//   chain that loops is refused.
// - A failure says in Czech why: no such folder, a folder that can't be written to, a name that
//   isn't allowed, a folder or a special file of that name, a file that can't be written, "na
//   disku není dost místa" whenever the disk fills, or else the system's own words.
std::optional<QString> write(const QString &fileName, const QByteArray &data);

} // namespace SaveFile
