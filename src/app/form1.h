#pragma once

#include "controltable.h"
#include "plotarea.h"
#include "plotter.h"

#include <QLocale>
#include <QWidget>

#include <array>

class QLineEdit;

// The program's one window: three input rows, the buttons and the plot area.
class Form1 : public QWidget
{
    Q_OBJECT

public:
    // The frame assumed where the platform reports none, in units: 60 at the left, right and
    // bottom, 345 at the top with the caption bar.
    static constexpr QMargins DesignFrame{60, 345, 60, 60};
    // What the plot area leaves of the window's outer size, in units.
    static constexpr QSize PlotAreaMargins{135, 2535};

    explicit Form1(const QLocale &locale = QLocale(), QWidget *parent = nullptr);

    // The font of a kind of control; ControlFont::Window is the window's own.
    static QFont fontFor(ControlFont font);

    // Messages go through here; the default shows a modal box.
    void setMessageHandler(Plotter::MessageHandler handler);
    void showMessageBox(const QString &text);

    PlotArea *plotArea() const { return Picture1; }
    Plotter &plotter() { return m_plotter; }
    // The window's size with its frame and caption bar, in units.
    QSize outerSizeInUnits() const;

public slots:
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void Command5_Click();

protected:
    void resizeEvent(QResizeEvent *event) override;
    void moveEvent(QMoveEvent *event) override;

private:
    void Form_Load();
    void Form_Resize();

    void createControls();
    QWidget *createControl(const ControlSpec &spec);
    void setFocusOrder();
    void describeForAssistiveTechnology();
    void dockStatusStrip();
    void connectButtons();
    OscillationTexts rowTexts(std::size_t row) const;
    void plotRow(std::size_t row);

    PlotArea *Picture1;
    QWidget *StatusBar1 = nullptr;
    std::array<QLineEdit *, 9> m_fields{};
    Plotter m_plotter;
};
