#include "birthdays/ui/CalendarSelectionWindow.h"

#include "app/Clock.h"
#include "app/ErrorLog.h"
#include "app/Prompts.h"
#include "app/Seams.h"
#include "app/ui/ProgressWindow.h"
#include "settings/Translate.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLocale>
#include <QPushButton>
#include <QVBoxLayout>

namespace velmora {

CalendarSelectionWindow::CalendarSelectionWindow(const QString &pagesFolder, QWidget *parent)
    : QDialog(parent), m_cmdOK(new QPushButton(this)), m_cmdCancel(new QPushButton(this)),
      m_pagesFolder(pagesFolder), m_firstYear(clock().today().year() - 1)
{
    setObjectName(QStringLiteral("frmCalendarSelection"));
    setModal(true);
    m_cmdOK->setObjectName(QStringLiteral("cmdOK"));
    m_cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    m_cmdOK->setDefault(true);

    static const char *const frameNames[] = {"fraPrevious", "fraCurrent", "fraNext"};
    static const char *const boxNames[] = {"chkPrevious", "chkCurrent", "chkNext"};
    auto *frames = new QHBoxLayout;
    for (int y = 0; y < 3; ++y) {
        auto *frame = new QGroupBox(this);
        frame->setObjectName(QLatin1String(frameNames[y]));
        frame->setTitle(QString::number(m_firstYear + y));
        auto *column = new QVBoxLayout(frame);
        for (int i = 0; i <= 12; ++i) {
            auto *box = new QCheckBox(frame);
            box->setObjectName(QLatin1String(boxNames[y]));
            box->setProperty("index", i);
            column->addWidget(box);
            m_boxes[size_t(y)][size_t(i)] = box;
        }
        column->addStretch(1);
        // Box 0 ticks or unticks the whole year; a month box only itself.
        connect(m_boxes[size_t(y)][0], &QCheckBox::toggled, this, [this, y](bool on) {
            for (int m = 1; m <= 12; ++m)
                m_boxes[size_t(y)][size_t(m)]->setChecked(on);
        });
        m_frames[size_t(y)] = frame;
        frames->addWidget(frame);
    }
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_cmdOK);
    buttons->addWidget(m_cmdCancel);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(frames);
    layout->addLayout(buttons);

    connect(m_cmdOK, &QPushButton::clicked, this, &CalendarSelectionWindow::saveCalendarPages);
    connect(m_cmdCancel, &QPushButton::clicked, this, &QDialog::reject);

    loadLanguage();
    m_boxes[1][0]->setChecked(true);
    for (int m = 1; m <= 12; ++m)
        m_boxes[1][size_t(m)]->setChecked(true);
}

void CalendarSelectionWindow::loadLanguage()
{
    setWindowTitle(T("Save"));
    m_cmdOK->setText(T("OK"));
    m_cmdCancel->setText(T("Cancel"));
    const QLocale locale = QLocale::system();
    for (int y = 0; y < 3; ++y) {
        // Box 0 stands for the year of its frame.
        m_boxes[size_t(y)][0]->setText(QString::number(m_firstYear + y));
        for (int m = 1; m <= 12; ++m)
            m_boxes[size_t(y)][size_t(m)]->setText(locale.standaloneMonthName(m, QLocale::LongFormat));
    }
}

CalendarSelection CalendarSelectionWindow::selection() const
{
    CalendarSelection chosen;
    chosen.firstYear = m_firstYear;
    for (size_t y = 0; y < 3; ++y)
        for (size_t m = 1; m <= 12; ++m)
            chosen.months[y][m - 1] = m_boxes[y][m]->isChecked();
    return chosen;
}

void CalendarSelectionWindow::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    m_cmdOK->setFocus();
}

void CalendarSelectionWindow::saveCalendarPages()
{
    hide();
    const QString folder = CalendarSaver::browseForFolder();
    if (!folder.isEmpty()) {
        CalendarSaver saver;
        bool ok = false;
        {
            ProgressWindow progress(parentWidget());
            ok = saver.saveCalendarPages(selection(), m_pagesFolder, folder, progress.callback());
        }
        if (!ok) {
            const QString text =
                T("The calendar could not be saved:") + QLatin1Char('\n') + saver.errorText();
            prompts().message(text, T("Error"), Icon::Exclamation, Buttons::Ok);
            writeLog(QString(text).replace(QLatin1Char('\n'), QLatin1Char(' ')));
        }
    }
    accept();
}

} // namespace velmora
