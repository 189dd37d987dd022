// SPDX-License-Identifier: GPL-3.0-or-later
#include "lessonfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <cmath>
#include <functional>
#include <system_error>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

const QString FormatKey = QStringLiteral("format");
const QString VersionKey = QStringLiteral("version");
const QString TitleKey = QStringLiteral("title");
const QString RowsKey = QStringLiteral("rows");
const QString EnvelopeKey = QStringLiteral("envelope");

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

// A JSON number as Qt's reader takes it: -?(0|[1-9][0-9]*)(.[0-9]+)?([eE][+-]?[0-9]+)?
bool isJsonNumber(QByteArrayView text)
{
    qsizetype at = text.startsWith('-') ? 1 : 0;
    const auto digits = [&text, &at] {
        const qsizetype start = at;
        while (at < text.size() && text[at] >= '0' && text[at] <= '9')
            ++at;
        return at - start;
    };
    const qsizetype integerStart = at;
    if (digits() == 0 || (text[integerStart] == '0' && at - integerStart > 1))
        return false;
    if (at < text.size() && text[at] == '.' && (++at, digits() == 0))
        return false;
    if (at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
        ++at;
        if (at < text.size() && (text[at] == '+' || text[at] == '-'))
            ++at;
        if (digits() == 0)
            return false;
    }
    return at == text.size();
}

// Whether a JSON number too far from zero for a double lies above its range rather than below:
// where its first significant digit stands against the decimal point, exponent added.
bool liesAboveRange(QByteArrayView number)
{
    qsizetype exponentAt = number.indexOf('e');
    if (exponentAt < 0)
        exponentAt = number.indexOf('E');
    const QByteArrayView mantissa = exponentAt < 0 ? number : number.first(exponentAt);
    qint64 exponent = 0; // Saturates far beyond any digits a file of 1 MB can hold.
    if (exponentAt >= 0) {
        const QByteArrayView digits = number.sliced(exponentAt + 1);
        for (const char digit : digits)
            if (digit >= '0' && digit <= '9')
                exponent = std::min<qint64>(exponent * 10 + (digit - '0'), qint64(1) << 40);
        if (digits.startsWith('-'))
            exponent = -exponent;
    }
    const qsizetype point = mantissa.contains('.') ? mantissa.indexOf('.') : mantissa.size();
    qsizetype first = 0;
    while (first < mantissa.size() && (mantissa[first] < '1' || mantissa[first] > '9'))
        ++first;
    const qint64 place = first < point ? point - first - 1 : point - first;
    return place + exponent > 0;
}

// The data with each run of number characters outside strings given to replace.
QByteArray withNumbersReplaced(const QByteArray &data,
                               const std::function<QByteArray(QByteArrayView)> &replace)
{
    const auto inNumber = [](char c) {
        return (c >= '0' && c <= '9') || c == '-' || c == '+' || c == '.' || c == 'e' || c == 'E';
    };
    QByteArray result;
    result.reserve(data.size());
    bool inString = false;
    for (qsizetype at = 0; at < data.size();) {
        const char c = data[at];
        if (inString || c == '"' || !inNumber(c)) {
            result += c;
            ++at;
            if (inString && c == '\\' && at < data.size())
                result += data[at++];
            else if (c == '"')
                inString = !inString;
            continue;
        }
        qsizetype end = at;
        while (end < data.size() && inNumber(data[end]))
            ++end;
        result += replace(QByteArrayView(data).sliced(at, end - at));
        at = end;
    }
    return result;
}

// Qt's reader refuses the whole file at a number beyond a double's range. Each such number
// becomes the nearest a double holds, of its sign, padded with blanks to its length, so that
// what the file says is judged as usual and any other fault is found at its own place.
QByteArray withNumbersInRange(const QByteArray &data)
{
    return withNumbersReplaced(data, [](QByteArrayView text) {
        bool inRange = false;
        Q_UNUSED(text.toDouble(&inRange))
        if (inRange || !isJsonNumber(text))
            return text.toByteArray();
        const bool negative = text.startsWith('-');
        const QByteArray nearest =
            liesAboveRange(text) ? (negative ? "-1e308" : "1e308") : (negative ? "-0" : "0");
        return nearest.size() > text.size() ? text.toByteArray()
                                            : nearest.leftJustified(text.size(), ' ');
    });
}

// The version as the file writes it, "1e400" too: every number made a string of itself.
QString versionAsWritten(const QByteArray &data)
{
    const QByteArray numbersAsTexts = withNumbersReplaced(data, [](QByteArrayView text) {
        return isJsonNumber(text) ? '"' + text.toByteArray() + '"' : text.toByteArray();
    });
    return QJsonDocument::fromJson(numbersAsTexts).object().value(VersionKey).toString();
}

// The format's name and version, before anything else: a newer version may hold what this
// one doesn't know.
std::optional<QString> wrongFormat(const QJsonObject &file, const QByteArray &data)
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
    if (number > LessonFile::Version) {
        const QString written = versionAsWritten(data);
        return QStringLiteral("soubor je z novější verze programu (verze formátu %1, tato verze "
                              "programu zná nejvýš %2)")
            .arg(written.isEmpty() ? QString::number(number, 'g', 15) : written)
            .arg(LessonFile::Version);
    }
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

LessonFile::Reading readLesson(const QJsonObject &file, const QByteArray &data)
{
    if (const auto wrong = wrongFormat(file, data))
        return failure(*wrong);
    // Version 1 knows no envelope.
    QStringList known{FormatKey, VersionKey, TitleKey, RowsKey};
    if (file.value(VersionKey).toDouble() >= 2)
        known << EnvelopeKey;
    if (const auto key = unknownKeyIn(file, known))
        return failure(QStringLiteral("neznámý údaj %1").arg(quoted(*key)));

    Lesson lesson;
    if (file.contains(EnvelopeKey)) {
        if (!file.value(EnvelopeKey).isBool())
            return failure(QStringLiteral("obálka (údaj „envelope“) není true ani false"));
        lesson.envelope = file.value(EnvelopeKey).toBool();
    }
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

const QString Folder = QStringLiteral("je to složka, ne soubor");
// As the save side says it.
const QString SpecialFile = QStringLiteral("toto jméno nese zvláštní soubor, ne obyčejný");
const QString NoPermission = QStringLiteral("ke čtení souboru chybí oprávnění");

QString readingFailed(const QString &systemWords)
{
    return QStringLiteral("čtení souboru se nezdařilo (%1)").arg(systemWords);
}

#ifdef Q_OS_UNIX
QString systemWords(int error)
{
    return QString::fromLocal8Bit(std::generic_category().message(error));
}

// Why a file's status can't be had or the file can't be opened.
QString reasonOf(int error)
{
    switch (error) {
    case ENOENT:
        return QStringLiteral("soubor neexistuje");
    case ELOOP:
        return QStringLiteral("symbolické odkazy na soubor tvoří smyčku");
    case ENOTDIR:
        return QStringLiteral("část cesty k souboru není složka");
    case EACCES:
    case EPERM:
        return NoPermission;
    case ENAMETOOLONG:
        return QStringLiteral("takový název souboru není dovolen");
    default:
        return QStringLiteral("soubor nelze otevřít (%1)").arg(systemWords(error));
    }
}

// Why a file of that mode is no lesson file, if it isn't.
std::optional<QString> notARegularFile(mode_t mode)
{
    if (S_ISDIR(mode))
        return Folder;
    if (!S_ISREG(mode))
        return SpecialFile;
    return std::nullopt;
}

// An open file, closed when it goes.
class OpenFile
{
public:
    explicit OpenFile(const std::filesystem::path &name)
        // Should a named pipe take the file's place after its status was read, opening it
        // doesn't wait for a writer; the open file's own status then refuses it.
        : m_descriptor(::open(name.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC))
    {}
    ~OpenFile()
    {
        if (m_descriptor >= 0)
            ::close(m_descriptor);
    }
    OpenFile(const OpenFile &) = delete;
    OpenFile &operator=(const OpenFile &) = delete;

    int descriptor() const { return m_descriptor; }

private:
    int m_descriptor;
};

// Up to MaximumSize + 1 bytes, or why they can't be read.
std::optional<QString> readBounded(int descriptor, QByteArray &data)
{
    data.resize(LessonFile::MaximumSize + 1);
    qsizetype size = 0;
    while (size < data.size()) {
        const ssize_t part = ::read(descriptor, data.data() + size, size_t(data.size() - size));
        if (part < 0 && errno == EINTR)
            continue;
        if (part < 0)
            return readingFailed(systemWords(errno));
        if (part == 0)
            break;
        size += part;
    }
    data.resize(size);
    return std::nullopt;
}

// The file's bytes, only from a regular file. Its status is read from the name first, so that
// nothing else is ever opened (opening a device may act on it), and again once it is open.
LessonFile::Reading readFile(const std::filesystem::path &name)
{
    struct stat status = {};
    if (::stat(name.c_str(), &status) != 0)
        return failure(reasonOf(errno));
    if (const auto wrongKind = notARegularFile(status.st_mode))
        return failure(*wrongKind);
    const OpenFile file(name);
    if (file.descriptor() < 0)
        return failure(reasonOf(errno));
    if (::fstat(file.descriptor(), &status) != 0)
        return failure(readingFailed(systemWords(errno)));
    if (const auto wrongKind = notARegularFile(status.st_mode))
        return failure(*wrongKind);
    QByteArray data;
    if (const auto fault = readBounded(file.descriptor(), data))
        return failure(*fault);
    return LessonFile::decode(data);
}
#else
LessonFile::Reading readFile(const std::filesystem::path &name)
{
    const QString fileName = QString::fromStdWString(name.native());
    const QFileInfo info(fileName);
    if (!info.exists())
        return failure(QStringLiteral("soubor neexistuje"));
    if (info.isDir())
        return failure(Folder);
    if (!info.isFile())
        return failure(SpecialFile);
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        // Qt reports a refusal to open as a failure of any kind; the file's modes tell.
        return failure(info.isReadable()
                           ? QStringLiteral("soubor nelze otevřít (%1)").arg(file.errorString())
                           : NoPermission);
    }
    // One byte past the limit is enough to refuse a file, also one that never ends.
    const QByteArray data = file.read(LessonFile::MaximumSize + 1);
    if (file.error() != QFileDevice::NoError)
        return failure(readingFailed(file.errorString()));
    return LessonFile::decode(data);
}
#endif

} // namespace

QByteArray LessonFile::encode(const Lesson &lesson)
{
    QByteArray data = "{\n";
    data += "    " + jsonString(FormatKey) + ": " + jsonString(FormatName) + ",\n";
    data += "    " + jsonString(VersionKey) + ": " + (lesson.envelope ? "2" : "1") + ",\n";
    if (!lesson.title.isEmpty())
        data += "    " + jsonString(TitleKey) + ": " + jsonString(lesson.title) + ",\n";
    if (lesson.envelope)
        data += "    " + jsonString(EnvelopeKey) + ": true,\n";
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
    QJsonDocument document = QJsonDocument::fromJson(data, &error);
    if (error.error == QJsonParseError::IllegalNumber)
        document = QJsonDocument::fromJson(withNumbersInRange(data), &error);
    if (error.error != QJsonParseError::NoError)
        return failure(QStringLiteral("obsah souboru není platný zápis JSON (chyba %1)")
                           .arg(positionOf(data, error.offset)));
    if (!document.isObject())
        return failure(QStringLiteral("soubor neobsahuje hodnoty Vibratonu (chybí údaj „format“)"));
    return readLesson(document.object(), data);
}

LessonFile::Reading LessonFile::read(const std::filesystem::path &fileName)
{
    return readFile(fileName);
}

std::filesystem::path LessonFile::systemName(const QString &fileName)
{
#ifdef Q_OS_WIN
    return fileName.toStdWString();
#else
    return QFile::encodeName(fileName).toStdString();
#endif
}

QString LessonFile::shownName(const std::filesystem::path &fileName)
{
#ifdef Q_OS_WIN
    return QDir::toNativeSeparators(QString::fromStdWString(fileName.native()));
#else
    return QString::fromLocal8Bit(QByteArray::fromStdString(fileName.native()));
#endif
}
