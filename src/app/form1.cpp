#include "form1.h"

#include <QAccessibleWidget>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

#include <algorithm>
#include <map>

namespace {

using ControlTable::UnitsPerPixel;

QRect toPixels(const QRect &units)
{
    return {units.topLeft() / UnitsPerPixel, units.size() / UnitsPerPixel};
}

// A colour key: a short horizontal line, one pixel thick.
QWidget *createColourKey(const ControlSpec &spec, QWidget *parent)
{
    auto *key = new QWidget(parent);
    QPalette palette = key->palette();
    palette.setColor(QPalette::Window, QColor(spec.colour));
    key->setPalette(palette);
    key->setAutoFillBackground(true);
    const QRect line = toPixels(spec.geometry);
    key->setGeometry(line.left(), line.top(), line.width(), 1);
    return key;
}

// The empty strip docked along the bottom edge.
QWidget *createStatusStrip(QWidget *parent)
{
    auto *strip = new QWidget(parent);
    strip->setAutoFillBackground(true);
    return strip;
}

// A plain widget is a client area to assistive technology; this one is the program's window,
// announced with its title.
QAccessibleInterface *accessibleWindow(const QString &className, QObject *object)
{
    if (className == QLatin1String("Form1") && object && object->isWidgetType())
        return new QAccessibleWidget(static_cast<QWidget *>(object), QAccessible::Window);
    return nullptr;
}

} // namespace

Form1::Form1(const QLocale &locale, QWidget *parent)
    : QWidget(parent)
    , Picture1(new PlotArea(this))
    , m_plotter(Picture1->surface(), NumberText(locale))
{
    [[maybe_unused]] static const bool accessibleAsWindow =
        (QAccessible::installFactory(accessibleWindow), true);
    setWindowTitle(QStringLiteral("Vibraton 0.94"));
    QIcon icon;
    // The title bar's sizes at single and double density; larger ones come from the icon theme
    // and would only slow the start.
    for (int side : {32, 64})
        icon.addFile(QStringLiteral(":/icons/vibraton-%1.png").arg(side), QSize(side, side));
    setWindowIcon(icon);
    setFont(fontFor(ControlFont::Window));
    resize(ControlTable::ClientSize / UnitsPerPixel);
    createControls();
    setFocusOrder();
    describeForAssistiveTechnology();
    connectButtons();
    setMessageHandler({});
    Form_Load();
}

QFont Form1::fontFor(ControlFont font)
{
    // Metric-compatible stand-ins for the design's narrow dialog font. The phase label shows
    // the Greek phi in a condensed face, so "φ_0 =" fits its narrow label.
    QFont chosen(QStringLiteral("Liberation Sans"));
    chosen.setPointSizeF(8.25);
    switch (font) {
    case ControlFont::Window:
        break;
    case ControlFont::RowTitle:
        chosen.setBold(true);
        break;
    case ControlFont::Phase:
        chosen.setFamily(QStringLiteral("Liberation Sans Narrow"));
        break;
    }
    return chosen;
}

void Form1::createControls()
{
    for (const ControlSpec &spec : ControlTable::controls()) {
        QWidget *control = createControl(spec);
        control->setObjectName(QString::fromLatin1(spec.name));
        if (spec.kind != ControlKind::ColourKey)
            control->setGeometry(toPixels(spec.geometry));
        if (spec.font != ControlFont::Window)
            control->setFont(fontFor(spec.font));
    }
    for (std::size_t i = 0; i < m_fields.size(); ++i)
        m_fields[i] = findChild<QLineEdit *>(QStringLiteral("Text%1").arg(i + 1));
    Picture1->fitSurface();
    dockStatusStrip();
}

QWidget *Form1::createControl(const ControlSpec &spec)
{
    const QString text = QString::fromUtf8(spec.text);
    switch (spec.kind) {
    case ControlKind::Label: {
        auto *label = new QLabel(text, this);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        return label;
    }
    case ControlKind::TextField:
        return new QLineEdit(text, this);
    case ControlKind::Button:
        return new QPushButton(text, this);
    case ControlKind::ColourKey:
        return createColourKey(spec, this);
    case ControlKind::PlotArea:
        Picture1->setFocusPolicy(Qt::TabFocus);
        return Picture1;
    case ControlKind::StatusStrip:
        StatusBar1 = createStatusStrip(this);
        StatusBar1->setFocusPolicy(Qt::TabFocus);
        return StatusBar1;
    }
    Q_UNREACHABLE();
}

void Form1::setFocusOrder()
{
    std::map<int, QWidget *> byTabIndex;
    for (const ControlSpec &spec : ControlTable::controls()) {
        auto *control = findChild<QWidget *>(QString::fromLatin1(spec.name));
        if (control->focusPolicy() & Qt::TabFocus)
            byTabIndex.emplace(spec.tabIndex, control);
    }
    QWidget *previous = nullptr;
    for (const auto &[tabIndex, control] : byTabIndex) {
        if (previous)
            setTabOrder(previous, control);
        previous = control;
    }
    byTabIndex.begin()->second->setFocus();
}

void Form1::describeForAssistiveTechnology()
{
    for (const AccessibleSpec &spec : ControlTable::accessibility()) {
        auto *control = findChild<QWidget *>(QString::fromLatin1(spec.name));
        if (spec.label)
            findChild<QLabel *>(QString::fromLatin1(spec.label))->setBuddy(control);
        if (spec.accessibleName)
            control->setAccessibleName(QString::fromUtf8(spec.accessibleName));
        if (spec.description)
            control->setAccessibleDescription(QString::fromUtf8(spec.description));
    }
}

void Form1::connectButtons()
{
    auto button = [this](const char *name) {
        return findChild<QPushButton *>(QString::fromLatin1(name));
    };
    connect(button("Command1"), &QPushButton::clicked, this, &Form1::Command1_Click);
    connect(button("Command2"), &QPushButton::clicked, this, &Form1::Command2_Click);
    connect(button("Command3"), &QPushButton::clicked, this, &Form1::Command3_Click);
    connect(button("Command4"), &QPushButton::clicked, this, &Form1::Command4_Click);
    connect(button("Command5"), &QPushButton::clicked, this, &Form1::Command5_Click);
}

void Form1::setMessageHandler(Plotter::MessageHandler handler)
{
    if (!handler)
        handler = [this](const QString &text) { showMessageBox(text); };
    m_plotter.setMessageHandler(std::move(handler));
}

void Form1::showMessageBox(const QString &text)
{
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Vibraton"), text, QMessageBox::Ok, this);
    box.exec();
}

void Form1::Form_Load()
{
    m_plotter.RefreshPlotMetrics();
    m_plotter.DrawTimeAxis();
}

QSize Form1::outerSizeInUnits() const
{
    // A frame without a caption bar is no frame the margins were made for: none at all (no
    // window manager, some Wayland compositors) or a bare border (offscreen). The designed
    // frame then stands in, so the plot area sits as designed.
    const QRect outer = frameGeometry();
    const QRect inner = geometry();
    QMargins frame(inner.left() - outer.left(), inner.top() - outer.top(),
                   outer.right() - inner.right(), outer.bottom() - inner.bottom());
    if (frame.top() <= frame.bottom())
        frame = DesignFrame / UnitsPerPixel;
    return size().grownBy(frame) * UnitsPerPixel;
}

void Form1::Form_Resize()
{
    // The plot area follows the window by fixed margins; nothing is redrawn. Below the margins
    // it is simply empty.
    const QSize plotArea = (outerSizeInUnits() - PlotAreaMargins).expandedTo(QSize(0, 0));
    Picture1->resize(plotArea / UnitsPerPixel);
    Picture1->fitSurface();
}

void Form1::dockStatusStrip()
{
    const int stripHeight = ControlTable::StatusStripHeight / UnitsPerPixel;
    StatusBar1->setGeometry(0, height() - stripHeight, width(), stripHeight);
}

void Form1::resizeEvent(QResizeEvent *)
{
    Form_Resize();
    dockStatusStrip();
}

void Form1::moveEvent(QMoveEvent *)
{
    // On X11 the frame's size arrives after the window is first shown, often with a move.
    Form_Resize();
}

OscillationTexts Form1::rowTexts(std::size_t row) const
{
    return {m_fields[3 * row]->text(), m_fields[3 * row + 1]->text(),
            m_fields[3 * row + 2]->text()};
}

void Form1::plotRow(std::size_t row)
{
    m_plotter.plotOscillation(rowTexts(row), OscillationRows[row].plotColour);
    Picture1->update();
}

void Form1::Command1_Click()
{
    plotRow(0);
}

void Form1::Command3_Click()
{
    plotRow(1);
}

void Form1::Command4_Click()
{
    plotRow(2);
}

void Form1::Command2_Click()
{
    m_plotter.clearPlot();
    Picture1->update();
}

void Form1::Command5_Click()
{
    m_plotter.plotSuperposition({rowTexts(0), rowTexts(1), rowTexts(2)});
    Picture1->update();
}
