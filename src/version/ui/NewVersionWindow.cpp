#include "version/ui/NewVersionWindow.h"

#include "app/Launcher.h"
#include "app/Paths.h"
#include "app/Seams.h"
#include "app/Sound.h"
#include "app/Website.h"
#include "app/ui/Icons.h"
#include "settings/Settings.h"
#include "settings/Translate.h"

#include <QCheckBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace velmora {

NewVersionWindow::NewVersionWindow(const QString &latestVersion, QWidget *parent)
    : QDialog(parent), m_latestVersion(latestVersion), m_picInfo(new QLabel(this)),
      m_lblNewVersion(new QLabel(this)), m_chkRemind(new QCheckBox(this)), m_cmdOK(new QPushButton(this)),
      m_cmdWebsite(new QPushButton(this))
{
    setObjectName(QStringLiteral("frmNewVersion"));
    setWindowIcon(programIcon(QStringLiteral("velmora")));
    m_picInfo->setObjectName(QStringLiteral("picInfo"));
    m_lblNewVersion->setObjectName(QStringLiteral("lblNewVersion"));
    m_chkRemind->setObjectName(QStringLiteral("chkRemind"));
    m_cmdOK->setObjectName(QStringLiteral("cmdOK"));
    m_cmdWebsite->setObjectName(QStringLiteral("cmdWebsite"));

    const int iconSize = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
    m_picInfo->setPixmap(
        style()->standardIcon(QStyle::SP_MessageBoxInformation, nullptr, this).pixmap(iconSize));
    m_picInfo->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    QFont bold = m_lblNewVersion->font();
    bold.setBold(true);
    m_lblNewVersion->setFont(bold);
    m_cmdOK->setDefault(true);

    auto *text = new QVBoxLayout;
    text->addWidget(m_lblNewVersion);
    text->addSpacing(8);
    text->addWidget(m_chkRemind);
    text->addStretch(1);

    auto *top = new QHBoxLayout;
    top->addWidget(m_picInfo, 0, Qt::AlignTop);
    top->addSpacing(8);
    top->addLayout(text, 1);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_cmdWebsite);
    buttons->addWidget(m_cmdOK);

    auto *main = new QVBoxLayout(this);
    main->addLayout(top, 1);
    main->addSpacing(8);
    main->addLayout(buttons);

    connect(m_cmdOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_cmdWebsite, &QPushButton::clicked, this, &NewVersionWindow::openWebsite);

    loadLanguage();
    setFixedSize(sizeHint().expandedTo(QSize(360, 0)));
}

NewVersionWindow::~NewVersionWindow()
{
    // Dropped with its owner without being closed: the choice still counts.
    rememberChoice();
}

void NewVersionWindow::loadLanguage()
{
    const QString name = QStringLiteral("Velmora ") + m_latestVersion;
    setWindowTitle(name);
    m_cmdOK->setText(T("OK"));
    m_cmdWebsite->setText(T("Website"));
    m_lblNewVersion->setText(name + QLatin1Char(' ') + T("is available") + QLatin1Char('!'));
    m_chkRemind->setText(T("Do not remind me again for this version."));
}

void NewVersionWindow::openWebsite()
{
    launcher().openUrl(websiteAddress());
    accept();
}

void NewVersionWindow::done(int result)
{
    rememberChoice();
    QDialog::done(result);
}

bool NewVersionWindow::event(QEvent *event)
{
    if (event->type() == QEvent::WindowActivate && !m_soundPlayed) {
        m_soundPlayed = true;
        playSound(paths().dataFolder(QStringLiteral("Sound")) + QStringLiteral("/default.wav"));
    }
    return QDialog::event(event);
}

void NewVersionWindow::rememberChoice()
{
    if (m_choiceStored)
        return;
    m_choiceStored = true;
    if (m_chkRemind->isChecked())
        saveSetting(QStringLiteral("Check version Since"), m_latestVersion);
}

} // namespace velmora
