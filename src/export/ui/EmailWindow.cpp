#include "export/ui/EmailWindow.h"

#include "app/Launcher.h"
#include "app/Seams.h"
#include "app/ui/ClipboardText.h"
#include "export/EmailList.h"
#include "settings/Settings.h"
#include "settings/Translate.h"

#include <QAction>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace velmora {

namespace {

template <typename W> W *named(W *widget, const char *name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

PersonPicker::Options emailPickerOptions()
{
    PersonPicker::Options options;
    options.chosenListName = QStringLiteral("lvwEmail");
    options.chosenClickUpdatesButtons = false;
    return options;
}

QString listSetting()
{
    return getSetting(QStringLiteral("List"));
}

} // namespace

EmailWindow::EmailWindow(const MainListState &main, QWidget *parent)
    : QDialog(parent), m_fraPerson(named(new QGroupBox(this), "fraPerson")),
      m_picker(new PersonPicker(emailPickerOptions(), m_fraPerson)),
      m_fraList(named(new QGroupBox(this), "fraList")),
      m_txtList(named(new QPlainTextEdit(m_fraList), "txtList")),
      m_fraFormat(named(new QGroupBox(this), "fraFormat")),
      m_optColon(named(new QRadioButton(m_fraFormat), "optColon")),
      m_optSemicolon(named(new QRadioButton(m_fraFormat), "optSemicolon")),
      m_cmdCopy(named(new QPushButton(this), "cmdCopy")), m_cmdOK(named(new QPushButton(this), "cmdOK")),
      m_cmdCancel(named(new QPushButton(this), "cmdCancel")),
      m_mnuPopupList(named(new QMenu(this), "mnuPopupList")),
      m_mnuPopupListCopy(named(new QAction(m_mnuPopupList), "mnuPopupListCopy"))
{
    setObjectName(QStringLiteral("frmEmail"));
    setModal(true);

    (new QVBoxLayout(m_fraPerson))->addWidget(m_picker);
    // The list is made from the chosen persons; typing in it would be lost at
    // the next change.
    m_txtList->setReadOnly(true);
    m_txtList->setContextMenuPolicy(Qt::CustomContextMenu);
    m_txtList->setFixedHeight(m_txtList->fontMetrics().lineSpacing() * 4 + 12);
    (new QVBoxLayout(m_fraList))->addWidget(m_txtList);
    auto *format = new QVBoxLayout(m_fraFormat);
    format->addWidget(m_optColon);
    format->addWidget(m_optSemicolon);
    m_mnuPopupList->addAction(m_mnuPopupListCopy);
    for (QPushButton *b : {m_cmdCopy, m_cmdOK, m_cmdCancel})
        b->setAutoDefault(false);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_cmdCopy);
    buttons->addStretch(1);
    buttons->addWidget(m_cmdOK);
    buttons->addWidget(m_cmdCancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_fraPerson, 1);
    layout->addWidget(m_fraList);
    layout->addWidget(m_fraFormat);
    layout->addLayout(buttons);
    resize(600, 560);

    connect(m_picker, &PersonPicker::chosenChanged, this, &EmailWindow::rebuild);
    connect(m_optColon, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            separatorChosen(false);
    });
    connect(m_optSemicolon, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            separatorChosen(true);
    });
    connect(m_cmdCopy, &QPushButton::clicked, this, &EmailWindow::copyAddressList);
    connect(m_mnuPopupListCopy, &QAction::triggered, this, &EmailWindow::copyAddressList);
    connect(m_txtList, &QWidget::customContextMenuRequested, this, &EmailWindow::showPopup);
    connect(m_cmdOK, &QPushButton::clicked, this, &EmailWindow::ok);
    connect(m_cmdCancel, &QPushButton::clicked, this, &QDialog::reject);

    loadLanguage();
    std::vector<PickerPerson> persons;
    loadEmailPersons(listSetting(), persons);
    m_picker->setPersons(std::move(persons));
    m_picker->setSearchResult(main.searchDown, main.listed);
    // Commas unless semicolons were chosen last time; choosing them rebuilds
    // the (empty) list and keeps the choice.
    {
        const QSignalBlocker blocker(m_optColon);
        m_optColon->setChecked(true);
    }
    if (semicolonsChosen())
        m_optSemicolon->setChecked(true);
    rebuild();
}

void EmailWindow::run(QWidget *parent, const MainListState &main)
{
    EmailWindow window(main, parent);
    window.exec();
}

void EmailWindow::loadLanguage()
{
    setWindowTitle(T("E-mail"));
    m_fraPerson->setTitle(T("Person"));
    m_picker->loadLanguage();
    m_fraList->setTitle(T("List"));
    m_fraFormat->setTitle(T("Format"));
    m_optColon->setText(separatorExample(false));
    m_optSemicolon->setText(separatorExample(true));
    m_cmdCopy->setText(T("Copy"));
    m_mnuPopupListCopy->setText(T("Copy"));
    m_cmdOK->setText(T("OK"));
    m_cmdCancel->setText(T("Cancel"));
}

QString EmailWindow::buildAddressList()
{
    const std::vector<int> chosen = m_picker->chosenContactnrs();
    m_cmdCopy->setEnabled(!chosen.empty());
    return velmora::buildAddressList(chosen, listSetting(), m_optSemicolon->isChecked());
}

void EmailWindow::rebuild()
{
    m_txtList->setPlainText(buildAddressList());
    m_cmdOK->setEnabled(m_picker->chosenCount() > 0);
}

void EmailWindow::separatorChosen(bool semicolons)
{
    m_txtList->setPlainText(buildAddressList());
    saveSeparator(semicolons);
}

void EmailWindow::copyAddressList()
{
    copyPlainText(buildAddressList());
}

void EmailWindow::showPopup(const QPoint &at)
{
    m_mnuPopupListCopy->setEnabled(!m_txtList->toPlainText().isEmpty());
    m_mnuPopupList->popup(m_txtList->viewport()->mapToGlobal(at));
}

void EmailWindow::ok()
{
    if (m_picker->chosenCount() == 0)
        return;
    hide();
    launcher().openUrl(mailtoUrl(buildAddressList()));
    accept();
}

} // namespace velmora
