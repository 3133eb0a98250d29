#include "export/ui/ExportWindow.h"

#include "export/PickerPerson.h"
#include "export/ui/ExportPreview.h"
#include "settings/Settings.h"
#include "settings/Translate.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace velmora {

ExportWindow::ExportWindow(const MainListState &main, QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmExport"));
    m_fraPerson = new QGroupBox(this);
    m_fraPerson->setObjectName(QStringLiteral("fraPerson"));
    m_picker = new PersonPicker({QStringLiteral("lvwExport"), true}, m_fraPerson);
    (new QVBoxLayout(m_fraPerson))->addWidget(m_picker);

    m_fraDetails = new QGroupBox(this);
    m_fraDetails->setObjectName(QStringLiteral("fraDetails"));
    m_chkName = makeBox(m_fraDetails, "chkName");
    m_chkDateofbirth = makeBox(m_fraDetails, "chkDateofbirth");
    m_chkAddress = makeBox(m_fraDetails, "chkAddress");
    m_chkPhone = makeBox(m_fraDetails, "chkPhone");
    m_chkPhoneDescription = makeBox(m_fraDetails, "chkPhoneDescription");
    m_chkEmail = makeBox(m_fraDetails, "chkEmail");
    m_chkEmailDescription = makeBox(m_fraDetails, "chkEmailDescription");
    m_chkNote = makeBox(m_fraDetails, "chkNote");
    auto *details = new QGridLayout(m_fraDetails);
    details->addWidget(m_chkName, 0, 0, 1, 2);
    details->addWidget(m_chkDateofbirth, 1, 0, 1, 2);
    details->addWidget(m_chkAddress, 2, 0, 1, 2);
    details->addWidget(m_chkPhone, 3, 0);
    details->addWidget(m_chkPhoneDescription, 3, 1);
    details->addWidget(m_chkEmail, 4, 0);
    details->addWidget(m_chkEmailDescription, 4, 1);
    details->addWidget(m_chkNote, 5, 0, 1, 2);
    details->setRowStretch(6, 1);
    // A description only goes with its numbers or addresses.
    auto follow = [](QCheckBox *box, QCheckBox *description) {
        connect(box, &QCheckBox::toggled, description, [description](bool on) {
            description->setChecked(on);
            description->setEnabled(on);
        });
    };
    follow(m_chkPhone, m_chkPhoneDescription);
    follow(m_chkEmail, m_chkEmailDescription);

    m_fraFormat = new QGroupBox(this);
    m_fraFormat->setObjectName(QStringLiteral("fraFormat"));
    new QVBoxLayout(m_fraFormat);
    addFormat(m_fraFormat, "OptTxt", QStringLiteral("TXT"), ExportFormat::Text);
    addFormat(m_fraFormat, "optHtml", QStringLiteral("(X)HTML"), ExportFormat::Html);
    addFormat(m_fraFormat, "optVcard", QStringLiteral("vCard"), ExportFormat::Vcard);
    addFormat(m_fraFormat, "optVcard4", QStringLiteral("vCard 4.0"), ExportFormat::Vcard4);
    static_cast<QVBoxLayout *>(m_fraFormat->layout())->addStretch();
    setFormat(ExportFormat::Html);

    m_cmdOK = new QPushButton(this);
    m_cmdOK->setObjectName(QStringLiteral("cmdOK"));
    m_cmdOK->setDefault(true);
    m_cmdCancel = new QPushButton(this);
    m_cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    connect(m_cmdOK, &QPushButton::clicked, this, &ExportWindow::accept);
    connect(m_cmdCancel, &QPushButton::clicked, this, &ExportWindow::reject);

    auto *lower = new QHBoxLayout;
    lower->addWidget(m_fraDetails, 2);
    lower->addWidget(m_fraFormat, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_cmdOK);
    buttons->addWidget(m_cmdCancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_fraPerson, 1);
    layout->addLayout(lower);
    layout->addLayout(buttons);
    resize(620, 560);

    loadLanguage();
    connect(m_picker, &PersonPicker::chosenChanged, this, &ExportWindow::updateOk);
    std::vector<PickerPerson> persons;
    // A book that cannot be read gives empty lists: there is nothing to
    // export, and OK stays disabled.
    loadPickerPersons(getSetting(QStringLiteral("List")), persons);
    m_picker->setPersons(std::move(persons));
    if (main.shownPerson >= 0)
        m_picker->preselect(main.shownPerson);
    m_picker->setSearchResult(main.searchDown, main.listed);
    updateOk();
}

void ExportWindow::run(QWidget *parent, const ListHost &list)
{
    ExportWindow window(mainListState(list), parent);
    window.exec();
}

QCheckBox *ExportWindow::makeBox(QGroupBox *frame, const char *name)
{
    auto *box = new QCheckBox(frame);
    box->setObjectName(QLatin1String(name));
    box->setChecked(true);
    return box;
}

void ExportWindow::addFormat(QGroupBox *frame, const char *name, const QString &caption, ExportFormat format)
{
    auto *button = new QRadioButton(caption, frame);
    button->setObjectName(QLatin1String(name));
    frame->layout()->addWidget(button);
    m_formats.emplace_back(button, format);
}

void ExportWindow::loadLanguage()
{
    setWindowTitle(T("Export"));
    m_fraPerson->setTitle(T("Person"));
    m_fraDetails->setTitle(T("Details"));
    m_chkName->setText(T("Name"));
    m_chkDateofbirth->setText(T("Date of birth"));
    m_chkAddress->setText(T("Address"));
    m_chkPhone->setText(T("Numbers"));
    m_chkPhoneDescription->setText(T("Description"));
    m_chkEmail->setText(T("E-mail"));
    m_chkEmailDescription->setText(T("Description"));
    m_chkNote->setText(T("Note"));
    m_fraFormat->setTitle(T("Format"));
    m_cmdOK->setText(T("OK"));
    m_cmdCancel->setText(T("Cancel"));
    m_picker->loadLanguage();
}

ExportOptions ExportWindow::options() const
{
    ExportOptions o;
    o.name = m_chkName->isChecked();
    o.dateOfBirth = m_chkDateofbirth->isChecked();
    o.address = m_chkAddress->isChecked();
    o.phone = m_chkPhone->isChecked();
    o.phoneDescription = m_chkPhoneDescription->isChecked();
    o.email = m_chkEmail->isChecked();
    o.emailDescription = m_chkEmailDescription->isChecked();
    o.note = m_chkNote->isChecked();
    return o;
}

ExportFormat ExportWindow::format() const
{
    for (const auto &[button, format] : m_formats) {
        if (button->isChecked())
            return format;
    }
    return m_formats.front().second;
}

void ExportWindow::setFormat(ExportFormat format)
{
    for (const auto &[button, f] : m_formats)
        button->setChecked(f == format);
}

void ExportWindow::updateOk()
{
    m_cmdOK->setEnabled(m_picker->chosenCount() > 0);
}

void ExportWindow::accept()
{
    if (m_picker->chosenCount() == 0)
        return;
    hide();
    ExportPreview::exportAndShow(format(), m_picker->chosenContactnrs(), options(), parentWidget());
    QDialog::accept();
}

} // namespace velmora
