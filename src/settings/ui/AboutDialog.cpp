#include "settings/ui/AboutDialog.h"

#include "app/Launcher.h"
#include "app/Seams.h"
#include "app/Website.h"
#include "app/ui/Icons.h"
#include "app/ui/LinkLabel.h"
#include "app/ProgramInfo.h"
#include "settings/Translate.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace velmora {

namespace {
QLabel *makeLabel(const char *name, QWidget *parent)
{
    auto *label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    return label;
}
} // namespace

AboutDialog::AboutDialog(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmAbout"));
    setModal(true);

    m_fraInfo = new QGroupBox(this);
    m_fraInfo->setObjectName(QStringLiteral("fraInfo"));
    auto *logo = new QLabel(m_fraInfo);
    logo->setPixmap(programIcon(QStringLiteral("velmora")).pixmap(64, 64));
    logo->setAlignment(Qt::AlignTop);
    m_lblWebsite = makeLabel("lblWebsite", m_fraInfo);
    m_lblWebsite2 = new LinkLabel(m_fraInfo);
    m_lblWebsite2->setObjectName(QStringLiteral("lblWebsite2"));
    m_lblWebsite2->setText(websiteAddress());
    connect(m_lblWebsite2, &LinkLabel::clicked, this, [this] { launcher().openUrl(m_lblWebsite2->text()); });
    m_lblLicense = makeLabel("lblLicense", m_fraInfo);
    m_lblLicense2 = makeLabel("lblLicense2", m_fraInfo);
    m_lblLicense2->setText(licenseText());
    m_lblLicense2->setWordWrap(true);
    m_lblLicense2->setMinimumWidth(m_lblLicense2->fontMetrics().horizontalAdvance(licenseText()) + 8);
    auto *info = new QGridLayout;
    info->addWidget(m_lblWebsite, 0, 0);
    info->addWidget(m_lblWebsite2, 0, 1);
    info->addWidget(m_lblLicense, 1, 0, Qt::AlignTop);
    info->addWidget(m_lblLicense2, 1, 1);
    info->setColumnStretch(1, 1);
    auto *infoRow = new QHBoxLayout(m_fraInfo);
    infoRow->addWidget(logo);
    infoRow->addSpacing(8);
    infoRow->addLayout(info, 1);

    m_fraTranslation = new QGroupBox(this);
    m_fraTranslation->setObjectName(QStringLiteral("fraTranslation"));
    m_lblLanguage = makeLabel("lblLanguage", m_fraTranslation);
    m_lblLanguage2 = makeLabel("lblLanguage2", m_fraTranslation);
    m_lblTranslator = makeLabel("lblTranslator", m_fraTranslation);
    m_lblTranslator2 = makeLabel("lblTranslator2", m_fraTranslation);
    auto *translation = new QGridLayout(m_fraTranslation);
    translation->addWidget(m_lblLanguage, 0, 0);
    translation->addWidget(m_lblLanguage2, 0, 1);
    translation->addWidget(m_lblTranslator, 1, 0);
    translation->addWidget(m_lblTranslator2, 1, 1);
    translation->setColumnStretch(1, 1);

    auto *buttons = new QDialogButtonBox(this);
    m_cmdOk = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    m_cmdOk->setObjectName(QStringLiteral("cmdOk"));
    m_cmdOk->setDefault(true);
    connect(m_cmdOk, &QPushButton::clicked, this, &QDialog::accept);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_fraInfo);
    layout->addWidget(m_fraTranslation);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    loadLanguage();
}

void AboutDialog::loadLanguage()
{
    setWindowTitle(T("About"));
    m_lblWebsite->setText(T("Website") + QLatin1Char(':'));
    m_lblLicense->setText(T("License") + QLatin1Char(':'));
    m_lblLanguage->setText(T("Language") + QLatin1Char(':'));
    m_lblTranslator->setText(T("Translator") + QLatin1Char(':'));
    m_cmdOk->setText(T("OK"));

    const QString language = getLanguageInfo(QStringLiteral("Language"));
    if (language.isEmpty()) {
        m_fraTranslation->hide();
    } else {
        m_fraTranslation->setTitle(T("Translation") + QStringLiteral(" (") + T("Version") + QLatin1Char(' ') +
                                   getLanguageInfo(QStringLiteral("Version")) + QLatin1Char(')'));
        m_lblLanguage2->setText(language);
        m_lblTranslator2->setText(getLanguageInfo(QStringLiteral("Translator")));
        m_fraTranslation->show();
    }
    m_fraInfo->setTitle(programTitle());
}

} // namespace velmora
