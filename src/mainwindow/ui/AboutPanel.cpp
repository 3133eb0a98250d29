#include "mainwindow/ui/AboutPanel.h"

#include "app/Website.h"
#include "app/ui/Icons.h"
#include "app/ui/LinkLabel.h"
#include "mainwindow/NoteLinks.h"
#include "app/ProgramInfo.h"
#include "settings/Translate.h"

#include <QGridLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace velmora {

AboutPanel::AboutPanel(QWidget *parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("fraAbout"));
    setFrameShape(QFrame::StyledPanel);
    setBackgroundRole(QPalette::Base);
    setAutoFillBackground(true);

    auto *logo = new QLabel(this);
    logo->setPixmap(programIcon(QStringLiteral("velmora")).pixmap(96, 96));
    logo->setAlignment(Qt::AlignCenter);

    m_fraInfo = new QLabel(this);
    m_fraInfo->setObjectName(QStringLiteral("fraInfo"));
    m_fraInfo->setAlignment(Qt::AlignCenter);
    QFont big = m_fraInfo->font();
    big.setPointSizeF(big.pointSizeF() * 1.8);
    big.setBold(true);
    m_fraInfo->setFont(big);

    m_lblWebsite = new QLabel(this);
    m_lblWebsite->setObjectName(QStringLiteral("lblWebsite"));
    m_lblWebsite2 = new LinkLabel(this);
    m_lblWebsite2->setObjectName(QStringLiteral("lblWebsite2"));
    m_lblWebsite2->setText(websiteAddress());
    connect(m_lblWebsite2, &LinkLabel::clicked, this, [this] { openLink(m_lblWebsite2->text()); });
    m_lblLicense = new QLabel(this);
    m_lblLicense->setObjectName(QStringLiteral("lblLicense"));
    m_lblLicense2 = new QLabel(licenseText(), this);
    m_lblLicense2->setObjectName(QStringLiteral("lblLicense2"));
    m_lblLicense2->setWordWrap(true);
    // A wrapped label may be given more height than its text takes; its text
    // then stays at the top, on the baseline of "License:".
    m_lblLicense2->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_lblLicense2->setMinimumWidth(m_lblLicense2->fontMetrics().horizontalAdvance(licenseText()) + 8);

    auto *facts = new QGridLayout;
    facts->setHorizontalSpacing(12);
    facts->addWidget(m_lblWebsite, 0, 0, Qt::AlignRight | Qt::AlignTop);
    facts->addWidget(m_lblWebsite2, 0, 1, Qt::AlignLeft | Qt::AlignTop);
    facts->addWidget(m_lblLicense, 1, 0, Qt::AlignRight | Qt::AlignTop);
    facts->addWidget(m_lblLicense2, 1, 1, Qt::AlignLeft | Qt::AlignTop);
    facts->setColumnStretch(0, 1);
    facts->setColumnStretch(1, 1);

    auto *layout = new QVBoxLayout(this);
    layout->addStretch(2);
    layout->addWidget(logo);
    layout->addSpacing(8);
    layout->addWidget(m_fraInfo);
    layout->addSpacing(24);
    layout->addLayout(facts);
    layout->addStretch(3);

    loadLanguage();
}

void AboutPanel::loadLanguage()
{
    m_fraInfo->setText(programTitle());
    m_lblWebsite->setText(T("Website") + QLatin1Char(':'));
    m_lblLicense->setText(T("License") + QLatin1Char(':'));
}

} // namespace velmora
