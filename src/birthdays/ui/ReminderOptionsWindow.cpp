#include "birthdays/ui/ReminderOptionsWindow.h"

#include "app/Paths.h"
#include "app/Prompts.h"
#include "app/Seams.h"
#include "app/Sound.h"
#include "birthdays/ui/DayCountBox.h"
#include "settings/Translate.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace velmora {

ReminderOptionsWindow::ReminderOptionsWindow(QWidget *parent)
    : QDialog(parent), m_chkBirthdayreminder(new QCheckBox(this)), m_fraSince(new QGroupBox(this)),
      m_chkSince(new QCheckBox(m_fraSince)), m_udSince(new DayCountBox(m_fraSince)),
      m_fraOnce(new QGroupBox(this)), m_fraSound(new QGroupBox(this)), m_chkSound(new QCheckBox(m_fraSound)),
      m_txtSound(new QLineEdit(m_fraSound)), m_cmdBrowse(new QPushButton(m_fraSound)),
      m_cmdOK(new QPushButton(this)), m_cmdCancel(new QPushButton(this))
{
    setObjectName(QStringLiteral("frmOptionsReminder"));
    m_chkBirthdayreminder->setObjectName(QStringLiteral("chkBirthdayreminder"));
    m_fraSince->setObjectName(QStringLiteral("fraSince"));
    m_chkSince->setObjectName(QStringLiteral("chkSince"));
    m_udSince->setObjectName(QStringLiteral("udSince"));
    m_udSince->textBox()->setObjectName(QStringLiteral("txtSince"));
    m_fraOnce->setObjectName(QStringLiteral("fraOnce"));
    m_fraSound->setObjectName(QStringLiteral("fraSound"));
    m_chkSound->setObjectName(QStringLiteral("chkSound"));
    m_txtSound->setObjectName(QStringLiteral("txtSound"));
    m_cmdBrowse->setObjectName(QStringLiteral("cmdBrowse"));
    m_cmdOK->setObjectName(QStringLiteral("cmdOK"));
    m_cmdCancel->setObjectName(QStringLiteral("cmdCancel"));

    // Since: one row.
    auto *since = new QGridLayout(m_fraSince);
    since->addWidget(m_chkSince, 0, 0);
    since->addWidget(m_udSince, 0, 1);
    since->addWidget(daysLabel(0), 0, 2);
    since->setColumnStretch(2, 1);

    // Once: three rows.
    auto *once = new QGridLayout(m_fraOnce);
    for (int i = 0; i < ReminderOptions::kOnceRows; ++i) {
        const QString n = QString::number(i);
        m_chkOnce[i] = new QCheckBox(m_fraOnce);
        m_chkOnce[i]->setObjectName(QStringLiteral("chkOnce") + n);
        m_udOnce[i] = new DayCountBox(m_fraOnce);
        m_udOnce[i]->setObjectName(QStringLiteral("udOnce") + n);
        m_udOnce[i]->textBox()->setObjectName(QStringLiteral("txtOnce") + n);
        once->addWidget(m_chkOnce[i], i, 0);
        once->addWidget(m_udOnce[i], i, 1);
        once->addWidget(daysLabel(i + 1), i, 2);
    }
    once->setColumnStretch(2, 1);

    // Sound: the check box, the file and Browse.
    auto *sound = new QHBoxLayout(m_fraSound);
    sound->addWidget(m_chkSound);
    sound->addWidget(m_txtSound, 1);
    sound->addWidget(m_cmdBrowse);
    m_txtSound->setMinimumWidth(fontMetrics().horizontalAdvance(QLatin1Char('x')) * 36);

    m_cmdOK->setDefault(true);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_cmdOK);
    buttons->addWidget(m_cmdCancel);

    auto *main = new QVBoxLayout(this);
    main->addWidget(m_chkBirthdayreminder);
    main->addWidget(m_fraSince);
    main->addWidget(m_fraOnce);
    main->addWidget(m_fraSound);
    main->addStretch(1);
    main->addLayout(buttons);
    main->setSizeConstraint(QLayout::SetFixedSize);

    for (QCheckBox *box : {m_chkBirthdayreminder, m_chkSince, m_chkSound})
        connect(box, &QCheckBox::toggled, this, &ReminderOptionsWindow::applyEnabling);
    for (QCheckBox *box : m_chkOnce)
        connect(box, &QCheckBox::toggled, this, &ReminderOptionsWindow::applyEnabling);
    connect(m_cmdBrowse, &QPushButton::clicked, this, &ReminderOptionsWindow::browseSound);
    connect(m_cmdOK, &QPushButton::clicked, this, &ReminderOptionsWindow::ok);
    connect(m_cmdCancel, &QPushButton::clicked, this, &QDialog::reject);

    loadLanguage();
    showOptions(ReminderOptions::load());
}

QLabel *ReminderOptionsWindow::daysLabel(int index)
{
    auto *label = new QLabel(this);
    label->setObjectName(QStringLiteral("lblDays") + QString::number(index));
    m_lblDays[index] = label;
    return label;
}

void ReminderOptionsWindow::loadLanguage()
{
    setWindowTitle(T("Birthday reminder"));
    m_chkBirthdayreminder->setText(T("Birthday reminder"));
    m_fraSound->setTitle(T("Sound"));
    m_cmdBrowse->setText(T("Browse") + QStringLiteral("..."));
    m_fraSince->setTitle(T("Since"));
    m_fraOnce->setTitle(T("Once"));
    for (QLabel *label : m_lblDays)
        label->setText(T("day(s) before birthday"));
    m_cmdOK->setText(T("OK"));
    m_cmdCancel->setText(T("Cancel"));
}

void ReminderOptionsWindow::showOptions(const ReminderOptions &options)
{
    m_chkBirthdayreminder->setChecked(options.reminder);
    m_chkSound->setChecked(options.sound);
    m_txtSound->setText(options.soundPath);
    m_chkSince->setChecked(options.since);
    m_udSince->setText(options.sinceText);
    for (int i = 0; i < ReminderOptions::kOnceRows; ++i) {
        m_chkOnce[i]->setChecked(options.once[i]);
        m_udOnce[i]->setText(options.onceText[i]);
    }
    applyEnabling();
}

ReminderOptions ReminderOptionsWindow::options() const
{
    ReminderOptions o;
    o.reminder = m_chkBirthdayreminder->isChecked();
    o.sound = m_chkSound->isChecked();
    o.soundPath = m_txtSound->text();
    o.since = m_chkSince->isChecked();
    o.sinceText = m_udSince->text();
    for (int i = 0; i < ReminderOptions::kOnceRows; ++i) {
        o.once[i] = m_chkOnce[i]->isChecked();
        o.onceText[i] = m_udOnce[i]->text();
    }
    return o;
}

void ReminderOptionsWindow::applyEnabling()
{
    const ReminderOptions::Enabled e = options().enabled();
    m_fraSince->setEnabled(e.frames);
    m_fraOnce->setEnabled(e.frames);
    m_fraSound->setEnabled(e.frames);
    m_chkSound->setEnabled(e.checkBoxes);
    m_chkSince->setEnabled(e.checkBoxes);
    m_txtSound->setEnabled(e.soundFile);
    m_cmdBrowse->setEnabled(e.soundFile);
    m_udSince->setEnabled(e.since);
    m_lblDays[0]->setEnabled(e.since);
    for (int i = 0; i < ReminderOptions::kOnceRows; ++i) {
        m_chkOnce[i]->setEnabled(e.checkBoxes);
        m_udOnce[i]->setEnabled(e.once[i]);
        m_lblDays[i + 1]->setEnabled(e.once[i]);
    }
}

void ReminderOptionsWindow::browseSound()
{
    FileDialog dialog;
    dialog.title = T("Open");
    dialog.filter = T("Sound") + QStringLiteral(" (*.wav)|*.wav");
    dialog.startFolder = paths().dataFolder(QStringLiteral("Sound"));
    const QString path = prompts().openFile(dialog);
    if (path.isEmpty())
        return;
    m_txtSound->setText(path);
    playSound(path);
}

void ReminderOptionsWindow::ok()
{
    options().save();
    accept();
}

} // namespace velmora
