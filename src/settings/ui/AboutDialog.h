#pragma once

#include <QDialog>

class QGroupBox;
class QLabel;
class QPushButton;

namespace velmora {

class LinkLabel;

// The About window (frmAbout): program name and version, website, licence
// and the translator of the language in force.
class AboutDialog : public QDialog {
    Q_OBJECT
public:
    explicit AboutDialog(QWidget *parent = nullptr);

public slots:
    void loadLanguage();

private:
    QGroupBox *m_fraInfo;
    QLabel *m_lblWebsite;
    LinkLabel *m_lblWebsite2;
    QLabel *m_lblLicense;
    QLabel *m_lblLicense2;
    QGroupBox *m_fraTranslation;
    QLabel *m_lblLanguage;
    QLabel *m_lblLanguage2;
    QLabel *m_lblTranslator;
    QLabel *m_lblTranslator2;
    QPushButton *m_cmdOk;
};

} // namespace velmora
