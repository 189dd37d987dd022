// SPDX-License-Identifier: GPL-3.0-or-later
// Runs the plot commands on arbitrary field texts and plot-area sizes, the way the window does,
// and checks what the user could observe: only the two known messages, nothing drawn when a
// text is refused, and an image that stays within its cap.
//
// Input layout, so seeds can be written by hand (see make-corpus.py):
//   byte 0       bit 0: locale (0 C, 1 Czech); bits 1-3: device pixel ratio, an index into
//                DevicePixelRatios; bit 4: resize to the second size before the second command
//   byte 1, 2    first and second command: value % 6 is 0 none, 1 clear, 2-4 row 1-3, 5 superpose
//   byte 3-6     plot-area width and height in units, each a little-endian 16-bit raw value
//                mapped by Input::units
//   byte 7-10    the second size, likewise
//   the rest     the nine field texts, row by row (frequency, phase, amplitude), separated by
//                0xFF; missing ones are empty, and the ninth takes whatever follows it
// Missing header bytes read as zero.

#include "colours.h"
#include "oscillation.h"
#include "plotsurface.h"
#include "plotter.h"

#include <QGuiApplication>
#include <QImage>
#include <QLocale>
#include <QString>

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace {

constexpr size_t HeaderSize = 11;
// A cap far below a real screen's keeps each input's images cheap to allocate, copy and compare,
// while large areas still run into it: 20000 units pass it at every device pixel ratio below.
constexpr int MaximumUnits = 20000;
constexpr int MaximumSidePixels = 512;
constexpr uint8_t Separator = 0xFF; // Never part of UTF-8, so any text can sit between them.
constexpr std::array<double, 8> DevicePixelRatios = {1.0, 1.25, 1.5, 2.0, 3.0, 0.5, 4.0, 1.75};

enum class Command { None, Clear, Row1, Row2, Row3, Superpose };

void check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

struct Input
{
    const uint8_t *data;
    size_t size;

    uint8_t byte(size_t index) const { return index < size ? data[index] : 0; }
    // Squared, so that small areas, which plot quickly, come up more often than under a
    // uniform spread; the largest raw value still reaches MaximumUnits.
    int units(size_t index) const
    {
        const uint64_t raw = byte(index) | byte(index + 1) << 8;
        return static_cast<int>(raw * raw * MaximumUnits / (uint64_t(0xFFFF) * 0xFFFF));
    }
};

std::array<QString, 9> fieldTexts(const Input &input)
{
    std::array<QString, 9> texts;
    size_t begin = HeaderSize;
    for (size_t field = 0; field < texts.size() && begin <= input.size; ++field) {
        size_t end = begin;
        if (field + 1 < texts.size()) {
            while (end < input.size && input.data[end] != Separator)
                ++end;
        } else {
            end = input.size;
        }
        texts[field] = QString::fromUtf8(reinterpret_cast<const char *>(input.data + begin),
                                         static_cast<qsizetype>(end - begin));
        begin = end + 1;
    }
    return texts;
}

void checkImage(const PlotSurface &surface)
{
    const QImage &image = surface.image();
    check(image.width() <= MaximumSidePixels && image.height() <= MaximumSidePixels);
    check(surface.drawablePixels().width() <= image.width());
    check(surface.drawablePixels().height() <= image.height());
}

void run(Command command, Plotter &plotter, const std::array<OscillationTexts, 3> &rows,
         std::vector<QString> &messages)
{
    if (command == Command::None)
        return;
    PlotSurface &surface = plotter.surface();
    messages.clear();

    if (command == Command::Clear) {
        const QSize size = surface.image().size();
        plotter.clearPlot();
        check(messages.empty());
        check(surface.image().size() == size);
        checkImage(surface);
        return;
    }

    // A deep copy: a shallow one would share the pixels being drawn on.
    const QImage before = surface.image().copy();
    bool plotted = false;
    if (command == Command::Superpose) {
        plotted = plotter.plotSuperposition(rows);
    } else {
        const size_t row = static_cast<size_t>(command) - static_cast<size_t>(Command::Row1);
        plotted = plotter.plotOscillation(rows[row], RowPlotColours[row]);
    }

    int notANumber = 0;
    int tooLarge = 0;
    for (const QString &message : messages) {
        if (message == OscillationTexts::NotANumberMessage)
            ++notANumber;
        else if (message == Plotter::AmplitudeTooLargeMessage)
            ++tooLarge;
        else
            check(false);
    }
    check(notANumber <= 1 && tooLarge <= 1);
    // A refused text is reported once, alone, and leaves the picture as it was.
    check(plotted == (notANumber == 0));
    if (!plotted) {
        check(tooLarge == 0);
        check(surface.image() == before);
    }
    check(surface.image().size() == before.size());
    checkImage(surface);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    // Drawing on a QImage needs no application today; one offscreen keeps it that way should
    // the surface ever reach for fonts or screens.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication application(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const Input input{data, size};
    const uint8_t options = input.byte(0);
    const QLocale locale = options & 1 ? QLocale(QLocale::Czech) : QLocale::c();

    PlotSurface surface(DevicePixelRatios[(options >> 1) & 7]);
    surface.setMaximumSidePixels(MaximumSidePixels);
    surface.resize(float(input.units(3)), float(input.units(5)));
    checkImage(surface);

    Plotter plotter(surface, NumberText(locale));
    std::vector<QString> messages;
    plotter.setMessageHandler([&messages](const QString &text) { messages.push_back(text); });

    const std::array<QString, 9> texts = fieldTexts(input);
    const std::array<OscillationTexts, 3> rows = {{
        {texts[0], texts[1], texts[2]},
        {texts[3], texts[4], texts[5]},
        {texts[6], texts[7], texts[8]},
    }};

    run(static_cast<Command>(input.byte(1) % 6), plotter, rows, messages);
    // The user may resize the window between commands; the image keeps what was drawn.
    if (options & 0x10) {
        surface.resize(float(input.units(7)), float(input.units(9)));
        checkImage(surface);
    }
    run(static_cast<Command>(input.byte(2) % 6), plotter, rows, messages);
    return 0;
}
