// SPDX-License-Identifier: GPL-3.0-or-later
#include "form1.h"

#include "picturefile.h"

#include <QAccessibleWidget>
#include <QClipboard>
#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QMimeData>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QStandardPaths>

namespace {

const QString PngFilter = QStringLiteral("Obrázek PNG (*.png)");
const QString PdfFilter = QStringLiteral("Dokument PDF (*.pdf)");

// The desktop's own save dialog; choosing PDF or PNG there turns the name's suffix with it.
QString askForFileName(QWidget *parent, const QString &suggested)
{
    QFileDialog dialog(parent, QStringLiteral("Uložit obrázek"), suggested);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilters({PngFilter, PdfFilter});
    dialog.setDefaultSuffix(QStringLiteral("png"));
    QObject::connect(
        &dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString &filter) {
            const QString suffix =
                filter == PdfFilter ? QStringLiteral("pdf") : QStringLiteral("png");
            dialog.setDefaultSuffix(suffix);
            const QFileInfo typed(dialog.selectedFiles().value(0));
            if (!typed.completeBaseName().isEmpty())
                dialog.selectFile(typed.dir().filePath(typed.completeBaseName() + u'.' + suffix));
        });
    return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
}

// The picture on one page, as large as the printable area lets it be, centred.
void printOnPage(const QImage &picture, QPrinter &printer)
{
    QPainter painter(&printer);
    painter.setRenderHint(QPainter::LosslessImageRendering);
    const QRect page = painter.viewport();
    QRect target(QPoint(0, 0), picture.size().scaled(page.size(), Qt::KeepAspectRatio));
    target.moveCenter(page.center());
    painter.drawImage(target, picture);
}

} // namespace

Form1::Form1(const QLocale &locale, QWidget *parent)
    : QWidget(parent)
    , m_plotter(setUpForm(), NumberText(locale))
{
    connectButtons();
    setUpPictureActions();
    setMessageHandler({});
    setDialogs({});
    Form_Load();
}

PlotSurface &Form1::setUpForm()
{
    // The icon lives in this library's resources, which a static library must load itself.
    Q_INIT_RESOURCE(vibraton);
    m_ui.setupUi(this);
    setWindowTitle(windowTitle().arg(QStringLiteral(VIBRATON_VERSION)));
    // The form holds the 32-pixel icon the window was designed with; double density wants 64.
    QIcon icon = windowIcon();
    icon.addFile(QStringLiteral(":/icons/vibraton-64.png"), QSize(64, 64));
    setWindowIcon(icon);
    // A form holds whole point sizes only, so the window's 8.25 pt comes from here; the
    // controls' own fonts in the form change only their weight or family.
    setFont(windowFont());
    m_rows = {{{m_ui.Text1, m_ui.Text2, m_ui.Text3},
               {m_ui.Text4, m_ui.Text5, m_ui.Text6},
               {m_ui.Text7, m_ui.Text8, m_ui.Text9}}};
    m_ui.Command1->setFocus();
    m_ui.Picture1->fitSurface();
    dockStatusStrip();
    return m_ui.Picture1->surface();
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
    connect(m_ui.Command1, &QPushButton::clicked, this, &Form1::Command1_Click);
    connect(m_ui.Command2, &QPushButton::clicked, this, &Form1::Command2_Click);
    connect(m_ui.Command3, &QPushButton::clicked, this, &Form1::Command3_Click);
    connect(m_ui.Command4, &QPushButton::clicked, this, &Form1::Command4_Click);
    connect(m_ui.Command5, &QPushButton::clicked, this, &Form1::Command5_Click);
}

void Form1::setUpPictureActions()
{
    // The platform's own key sequences, which a form can't name.
    m_ui.copyPictureAction->setShortcuts(QKeySequence::Copy);
    m_ui.savePictureAction->setShortcuts(QKeySequence::Save);
    m_ui.printPictureAction->setShortcuts(QKeySequence::Print);
    connect(m_ui.copyPictureAction, &QAction::triggered, this, &Form1::copyPicture);
    connect(m_ui.savePictureAction, &QAction::triggered, this, &Form1::savePicture);
    connect(m_ui.printPictureAction, &QAction::triggered, this, &Form1::printPicture);
}

void Form1::setMessageHandler(Plotter::MessageHandler handler)
{
    if (!handler)
        handler = [this](const QString &text) { showMessageBox(text); };
    m_showMessage = handler;
    m_plotter.setMessageHandler(std::move(handler));
}

void Form1::setDialogs(Dialogs dialogs)
{
    if (!dialogs.saveFileName)
        dialogs.saveFileName = [this](const QString &suggested) {
            return askForFileName(this, suggested);
        };
    if (!dialogs.setUpPrinter)
        dialogs.setUpPrinter = [this](QPrinter &printer) {
            return QPrintDialog(&printer, this).exec() == QDialog::Accepted;
        };
    m_dialogs = std::move(dialogs);
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
    m_ui.Picture1->showChanges();
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
    m_ui.Picture1->resize(plotArea / UnitsPerPixel);
    m_ui.Picture1->fitSurface();
}

void Form1::dockStatusStrip()
{
    // The empty strip stays docked along the bottom edge, across the full width.
    const int stripHeight = m_ui.StatusBar1->height();
    m_ui.StatusBar1->setGeometry(0, height() - stripHeight, width(), stripHeight);
}

QRect Form1::visiblePlotArea() const
{
    const QRect aboveStrip(0, 0, width(), m_ui.StatusBar1->y());
    return m_ui.Picture1->rect() & aboveStrip.translated(-m_ui.Picture1->pos());
}

QImage Form1::visiblePicture() const
{
    return m_ui.Picture1->picture(visiblePlotArea());
}

void Form1::copyPicture()
{
    // As an image and as PNG data, which office suites and image editors paste.
    const QImage picture = visiblePicture();
    auto *data = new QMimeData;
    data->setImageData(picture);
    data->setData(QStringLiteral("image/png"), PictureFile::png(picture));
    QGuiApplication::clipboard()->setMimeData(data);
}

void Form1::savePicture()
{
    const QImage picture = visiblePicture();
    const QString name =
        QDateTime::currentDateTime().toString(QStringLiteral("'vibraton-'yyyy-MM-dd-HHmm'.png'"));
    // The pictures folder if the user has one, else the home folder.
    QDir folder(QStandardPaths::writableLocation(QStandardPaths::PicturesLocation));
    if (!folder.exists())
        folder = QDir::home();
    const QString fileName = m_dialogs.saveFileName(folder.filePath(name));
    if (fileName.isEmpty())
        return;
    const PictureFile::Format format = PictureFile::formatOf(fileName);
    if (const std::optional<QString> failure = PictureFile::save(picture, fileName, format))
        m_showMessage(QStringLiteral("Obrázek se nepodařilo uložit do souboru „%1“: %2.")
                          .arg(QDir::toNativeSeparators(fileName), *failure));
}

void Form1::printPicture()
{
    const QImage picture = visiblePicture();
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(QStringLiteral("Vibraton"));
    printer.setPageOrientation(QPageLayout::Landscape);
    if (m_dialogs.setUpPrinter(printer))
        printOnPage(picture, printer);
}

void Form1::resizeEvent(QResizeEvent *)
{
    Form_Resize();
    dockStatusStrip();
    enablePictureActions();
}

void Form1::moveEvent(QMoveEvent *)
{
    // On X11 the frame's size arrives after the window is first shown, often with a move.
    Form_Resize();
    enablePictureActions();
}

void Form1::enablePictureActions()
{
    // An area too small to show anything has no picture to take.
    const bool hasPicture =
        !visiblePlotArea().isEmpty() && !m_ui.Picture1->surface().drawableSize().isEmpty();
    for (QAction *action : m_ui.Picture1->actions())
        action->setEnabled(hasPicture);
}

OscillationTexts Form1::rowTexts(std::size_t row) const
{
    const RowFields &fields = m_rows[row];
    return {fields.frequency->text(), fields.phase->text(), fields.amplitude->text()};
}

void Form1::plotRow(std::size_t row)
{
    m_plotter.plotOscillation(rowTexts(row), RowPlotColours[row]);
    m_ui.Picture1->showChanges();
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
    m_ui.Picture1->showChanges();
}

void Form1::Command5_Click()
{
    m_plotter.plotSuperposition({rowTexts(0), rowTexts(1), rowTexts(2)});
    m_ui.Picture1->showChanges();
}
