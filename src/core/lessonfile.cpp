// SPDX-License-Identifier: GPL-3.0-or-later
#include "lessonfile.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <cmath>

namespace {

const QString FormatKey = QStringLiteral("format");
const QString VersionKey = QStringLiteral("version");
const QString TitleKey = QStringLiteral("title");
const QString RowsKey = QStringLiteral("rows");

// A row's fields in the window's order, with the Czech name of each for the reasons.
struct Field
{
    QString key;
    QString name;
    QString OscillationTexts::*text;
};
const std::array<Field, 3> Fields = {{
    {QStringLiteral("frequency"), QStringLiteral("frekvence"), &OscillationTexts::frequency},
    {QStringLiteral("phase"), QStringLiteral("počáteční fáze"), &OscillationTexts::phase},
    {QStringLiteral("amplitude"), QStringLiteral("amplituda"), &OscillationTexts::amplitude},
}};

// "prvního grafu" and so on, as the reasons name a row.
const std::array<QString, 3> RowNames = {QStringLiteral("prvního grafu"),
                                         QStringLiteral("druhého grafu"),
                                         QStringLiteral("třetího grafu")};

LessonFile::Reading failure(const QString &reason)
{
    return {std::nullopt, reason};
}

// A text as a JSON string literal, quotes included, escaped as Qt's reader expects.
QByteArray jsonString(const QString &text)
{
    const QByteArray array = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    return array.sliced(1, array.size() - 2);
}

QByteArray encodeRow(const OscillationTexts &row)
{
    QByteArrayList fields;
    for (const Field &field : Fields)
        fields << jsonString(field.key) + ": " + jsonString(row.*field.text);
    return "{" + fields.join(", ") + "}";
}

// A key as a reason quotes it: a long one is cut short.
QString quoted(const QString &key)
{
    constexpr int Longest = 40;
    const QString shown = key.size() > Longest ? key.left(Longest) + QChar(0x2026) : key;
    return QStringLiteral("„%1“").arg(shown);
}

// Where a parse error lies, as an editor counts: line and character from 1.
QString positionOf(const QByteArray &data, qsizetype offset)
{
    const QByteArrayView before =
        QByteArrayView(data).first(std::clamp<qsizetype>(offset, 0, data.size()));
    const qsizetype lineStart = before.lastIndexOf('\n') + 1;
    // Qt's offset lies just past the character it could not take.
    qsizetype column = 0;
    for (const char byte : before.sliced(lineStart))
        column += (byte & 0xC0) != 0x80; // Each UTF-8 sequence counts once.
    return QStringLiteral("na řádku %1 u %2. znaku")
        .arg(before.count('\n') + 1)
        .arg(std::max<qsizetype>(column, 1));
}

std::optional<QString> unknownKeyIn(const QJsonObject &object, const QStringList &known)
{
    for (auto it = object.begin(); it != object.end(); ++it) {
        if (!known.contains(it.key()))
            return it.key();
    }
    return std::nullopt;
}

// The format's name and version, before anything else: a newer version may hold what this
// one doesn't know.
std::optional<QString> wrongFormat(const QJsonObject &file)
{
    const QString notOurs = QStringLiteral("soubor neobsahuje hodnoty Vibratonu (%1)");
    if (!file.contains(FormatKey))
        return notOurs.arg(QStringLiteral("chybí údaj „format“"));
    if (file.value(FormatKey) != LessonFile::FormatName)
        return notOurs.arg(QStringLiteral("údaj „format“ není „%1“").arg(LessonFile::FormatName));
    if (!file.contains(VersionKey))
        return QStringLiteral("chybí verze formátu (údaj „version“)");
    const QJsonValue version = file.value(VersionKey);
    const double number = version.toDouble();
    if (!version.isDouble() || number < 1 || number != std::floor(number))
        return QStringLiteral("verze formátu (údaj „version“) není celé kladné číslo");
    if (number > LessonFile::Version)
        return QStringLiteral("soubor je z novější verze programu (verze formátu %1, tato verze "
                              "programu zná nejvýš %2)")
            .arg(number, 0, 'g', 15)
            .arg(LessonFile::Version);
    return std::nullopt;
}

std::optional<QString> readRow(const QJsonValue &value, const QString &rowName,
                               OscillationTexts &row)
{
    if (!value.isObject())
        return QStringLiteral("hodnoty %1 nejsou ve složených závorkách").arg(rowName);
    const QJsonObject object = value.toObject();
    if (const auto key = unknownKeyIn(object, {Fields[0].key, Fields[1].key, Fields[2].key}))
        return QStringLiteral("neznámý údaj %1 u %2").arg(quoted(*key), rowName);
    for (const Field &field : Fields) {
        if (!object.contains(field.key))
            return QStringLiteral("chybí %1 %2").arg(field.name, rowName);
        const QJsonValue text = object.value(field.key);
        if (!text.isString())
            return QStringLiteral("%1 %2 není text v uvozovkách").arg(field.name, rowName);
        row.*field.text = text.toString();
    }
    return std::nullopt;
}

LessonFile::Reading readLesson(const QJsonObject &file)
{
    if (const auto wrong = wrongFormat(file))
        return failure(*wrong);
    if (const auto key = unknownKeyIn(file, {FormatKey, VersionKey, TitleKey, RowsKey}))
        return failure(QStringLiteral("neznámý údaj %1").arg(quoted(*key)));

    Lesson lesson;
    if (file.contains(TitleKey)) {
        if (!file.value(TitleKey).isString())
            return failure(QStringLiteral("název (údaj „title“) není text v uvozovkách"));
        lesson.title = file.value(TitleKey).toString();
    }
    if (!file.contains(RowsKey))
        return failure(QStringLiteral("chybí hodnoty grafů (údaj „rows“)"));
    if (!file.value(RowsKey).isArray())
        return failure(QStringLiteral("hodnoty grafů (údaj „rows“) nejsou v hranatých závorkách"));
    const QJsonArray rows = file.value(RowsKey).toArray();
    if (rows.size() != qsizetype(lesson.rows.size()))
        return failure(QStringLiteral("počet grafů v souboru je %1, má být 3").arg(rows.size()));
    for (size_t row = 0; row < lesson.rows.size(); ++row) {
        if (const auto fault = readRow(rows.at(qsizetype(row)), RowNames[row], lesson.rows[row]))
            return failure(*fault);
    }
    return {lesson, QString()};
}

QString openingFault(const QFile &file)
{
    // Qt reports a refusal to open as a failure of any kind; the file's modes tell.
    if (!QFileInfo(file.fileName()).isReadable())
        return QStringLiteral("ke čtení souboru chybí oprávnění");
    return QStringLiteral("soubor nelze otevřít (%1)").arg(file.errorString());
}

} // namespace

QByteArray LessonFile::encode(const Lesson &lesson)
{
    QByteArray data = "{\n";
    data += "    " + jsonString(FormatKey) + ": " + jsonString(FormatName) + ",\n";
    data += "    " + jsonString(VersionKey) + ": " + QByteArray::number(Version) + ",\n";
    if (!lesson.title.isEmpty())
        data += "    " + jsonString(TitleKey) + ": " + jsonString(lesson.title) + ",\n";
    data += "    " + jsonString(RowsKey) + ": [\n";
    QByteArrayList rows;
    for (const OscillationTexts &row : lesson.rows)
        rows << "        " + encodeRow(row);
    data += rows.join(",\n") + "\n    ]\n}\n";
    return data;
}

LessonFile::Reading LessonFile::decode(const QByteArray &data)
{
    if (data.size() > MaximumSize)
        return failure(QStringLiteral("soubor je větší než 1 MB"));
    if (data.isEmpty())
        return failure(QStringLiteral("soubor je prázdný"));
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(data, &error);
    if (error.error != QJsonParseError::NoError)
        return failure(QStringLiteral("obsah souboru není platný zápis JSON (chyba %1)")
                           .arg(positionOf(data, error.offset)));
    if (!document.isObject())
        return failure(QStringLiteral("soubor neobsahuje hodnoty Vibratonu (chybí údaj „format“)"));
    return readLesson(document.object());
}

LessonFile::Reading LessonFile::read(const QString &fileName)
{
    const QFileInfo info(fileName);
    if (!info.exists())
        return failure(QStringLiteral("soubor neexistuje"));
    if (info.isDir())
        return failure(QStringLiteral("je to složka, ne soubor"));
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return failure(openingFault(file));
    // One byte past the limit is enough to refuse a file, also one that states no size (a
    // device, a pipe) or never ends.
    const QByteArray data = file.read(MaximumSize + 1);
    if (file.error() != QFileDevice::NoError)
        return failure(QStringLiteral("čtení souboru se nezdařilo (%1)").arg(file.errorString()));
    return decode(data);
}
