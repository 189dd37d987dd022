// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace SaveFile {

// Writes data to a file in one step: an existing file is replaced only by the whole new one,
// keeping its permissions; a failure leaves what was there and no temporary file. On failure,
// says in Czech why.
std::optional<QString> write(const QString &fileName, const QByteArray &data);

} // namespace SaveFile
