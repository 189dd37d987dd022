// SPDX-License-Identifier: GPL-3.0-or-later
#include "form1.h"

#include "measureactions.h"
#include "plotareasize.h"
#include "soundactions.h"
#include "ui_form1.h"
#include "visiblearea.h"

#include <QAccessibleWidget>

Form1::Form1(const QLocale &locale, std::unique_ptr<Dialogs> dialogs, QWidget *parent)
    : QWidget(parent)
    , m_ui(std::make_unique<Ui::Form1>())
    , m_dialogs(std::move(dialogs))
    , m_plotter(setUpForm(), NumberText(locale))
    , m_rows(inputRows())
{
    m_dialogs->setWindow(this);
    m_plotter.setMessageHandler([this](const QString &text) { m_dialogs->showMessage(text); });
    connectButtons();
    m_pictureActions = new PictureActions(m_ui->copyPictureAction, m_ui->savePictureAction,
                                          m_ui->printPictureAction, *this, *m_dialogs, this);
    m_lessonActions = new LessonActions({m_ui->openLessonAction, m_ui->saveLessonAction,
                                         m_ui->examplesMenu, this, m_rows, m_ui->envelopeAction},
                                        *m_dialogs, this);
    const std::array pitches{m_ui->pitch55Action, m_ui->pitch110Action, m_ui->pitch220Action,
                             m_ui->pitch440Action};
    const auto *sound = new SoundActions({{m_ui->playFirstAction, m_ui->playSecondAction,
                                           m_ui->playThirdAction, m_ui->playSumAction},
                                          m_ui->stopSoundAction,
                                          m_ui->saveSoundAction,
                                          pitches},
                                         m_rows, NumberText(locale), *m_dialogs, this);
    new MeasureActions({m_ui->measureAction, m_ui->envelopeAction, pitches, m_ui->Picture1,
                        [this] { return visiblePlotArea(); },
                        [sound] { return sound->isPlaying(); }},
                       m_plotter.record(), this);
    m_ui->Picture1->setSubmenus({m_ui->lessonMenu, m_ui->soundMenu, m_ui->measureMenu});
    Form_Load();
}

Form1::~Form1() = default;

PlotSurface &Form1::setUpForm()
{
    // The icon lives in this library's resources, which a static library must load itself.
    Q_INIT_RESOURCE(vibraton);
    m_ui->setupUi(this);
    setWindowTitle(windowTitle().arg(QStringLiteral(VIBRATON_VERSION)));
    // The form holds the 32-pixel icon the window was designed with; double density wants 64.
    QIcon icon = windowIcon();
    icon.addFile(QStringLiteral(":/icons/vibraton-64.png"), QSize(64, 64));
    setWindowIcon(icon);
    // A form holds whole point sizes only, so the window's 8.25 pt comes from here; the
    // controls' own fonts in the form change only their weight or family.
    setFont(windowFont());
    m_ui->Command1->setFocus();
    m_ui->Picture1->fitSurface();
    dockStatusStrip();
    return m_ui->Picture1->surface();
}

QFont Form1::windowFont()
{
    // A metric-compatible stand-in for the design's narrow dialog font.
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPointSizeF(8.25);
    return font;
}

QAccessibleInterface *Form1::accessibleInterface(const QString &className, QObject *object)
{
    // A plain widget is a client area to assistive technology; this one is the program's
    // window, announced with its title.
    if (className == QLatin1String("Form1") && object && object->isWidgetType())
        return new QAccessibleWidget(static_cast<QWidget *>(object), QAccessible::Window);
    return nullptr;
}

void Form1::connectButtons()
{
    connect(m_ui->Command1, &QPushButton::clicked, this, &Form1::Command1_Click);
    connect(m_ui->Command2, &QPushButton::clicked, this, &Form1::Command2_Click);
    connect(m_ui->Command3, &QPushButton::clicked, this, &Form1::Command3_Click);
    connect(m_ui->Command4, &QPushButton::clicked, this, &Form1::Command4_Click);
    connect(m_ui->Command5, &QPushButton::clicked, this, &Form1::Command5_Click);
}

void Form1::Form_Load()
{
    m_plotter.RefreshPlotMetrics();
    m_plotter.DrawTimeAxis();
    m_ui->Picture1->showChanges();
}

InputRows Form1::inputRows() const
{
    return InputRows({{{m_ui->Text1, m_ui->Text2, m_ui->Text3},
                       {m_ui->Text4, m_ui->Text5, m_ui->Text6},
                       {m_ui->Text7, m_ui->Text8, m_ui->Text9}}});
}

QMargins Form1::frameToCount() const
{
#ifdef Q_OS_WIN
    // Windows 10 and 11 count invisible resize borders in the frame and Wine's frame has no
    // side borders: neither is the frame the margins were made for, so the designed frame
    // always stands in and the plot area has the size it has on Linux for the same client area.
    return PlotAreaSize::DesignFrame / UnitsPerPixel;
#else
    const QRect outer = frameGeometry();
    const QRect inner = geometry();
    return PlotAreaSize::frameToCount(
        QMargins(inner.left() - outer.left(), inner.top() - outer.top(),
                 outer.right() - inner.right(), outer.bottom() - inner.bottom()));
#endif
}

void Form1::Form_Resize()
{
    // The plot area follows the window by fixed margins; nothing is redrawn.
    m_ui->Picture1->resize(PlotAreaSize::forWindow(size(), frameToCount()));
    m_ui->Picture1->fitSurface();
}

void Form1::dockStatusStrip()
{
    // The empty strip stays docked along the bottom edge, across the full width.
    const int stripHeight = m_ui->StatusBar1->height();
    m_ui->StatusBar1->setGeometry(0, height() - stripHeight, width(), stripHeight);
}

void Form1::resizeEvent(QResizeEvent *)
{
    Form_Resize();
    dockStatusStrip();
    m_pictureActions->enableForPicture();
}

void Form1::moveEvent(QMoveEvent *)
{
    // On X11 the frame's size arrives after the window is first shown, often with a move.
    Form_Resize();
    m_pictureActions->enableForPicture();
}

QRect Form1::visiblePlotArea() const
{
    return visiblePartOfPlotArea(m_ui->Picture1->geometry(), size(), m_ui->StatusBar1->y());
}

bool Form1::hasPicture() const
{
    return !visiblePlotArea().isEmpty() && !m_ui->Picture1->surface().drawablePixels().isEmpty();
}

QImage Form1::picture() const
{
    return m_ui->Picture1->picture(visiblePlotArea());
}

void Form1::plotRow(std::size_t row)
{
    m_plotter.plotOscillation(m_rows.texts(row), RowPlotColours[row]);
    m_ui->Picture1->showChanges();
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
    m_ui->Picture1->showChanges();
}

void Form1::Command5_Click()
{
    m_plotter.plotSuperposition(m_rows.texts());
    m_ui->Picture1->showChanges();
}
