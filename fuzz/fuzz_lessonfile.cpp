// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds arbitrary bytes to the lesson file's reader and checks what the user could observe:
// a lesson or a reason, never both or neither; a lesson that, saved, opens again as itself;
// and a JSON fault placed within the file.

#include "lessonfile.h"

#include <QRegularExpression>

#include <cstddef>
#include <cstdint>

namespace {

void check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

bool sameLesson(const Lesson &a, const Lesson &b)
{
    if (a.title != b.title)
        return false;
    for (size_t row = 0; row < a.rows.size(); ++row) {
        if (a.rows[row].frequency != b.rows[row].frequency ||
            a.rows[row].phase != b.rows[row].phase ||
            a.rows[row].amplitude != b.rows[row].amplitude)
            return false;
    }
    return true;
}

// A JSON fault's line lies within the file.
void checkPlace(const QString &reason, const QByteArray &data)
{
    static const QRegularExpression place(QStringLiteral("na řádku (\\d+) u (\\d+)\\. znaku"));
    const QRegularExpressionMatch match = place.match(reason);
    if (!match.hasMatch())
        return;
    check(match.captured(1).toLongLong() <= data.count('\n') + 1);
    check(match.captured(2).toLongLong() >= 1);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    const LessonFile::Reading reading = LessonFile::decode(bytes);
    check(reading.lesson.has_value() == reading.reason.isEmpty());
    if (!reading.lesson) {
        checkPlace(reading.reason, bytes);
        return 0;
    }
    // Saved and opened again, the same texts and title, whatever the file looked like.
    const QByteArray saved = LessonFile::encode(*reading.lesson);
    if (saved.size() <= LessonFile::MaximumSize) {
        const LessonFile::Reading again = LessonFile::decode(saved);
        check(again.lesson.has_value());
        check(sameLesson(*again.lesson, *reading.lesson));
    }
    return 0;
}
