#pragma once

#include <QFrame>

class QLabel;

namespace velmora {

class LinkLabel;

// The About panel (fraAbout) on the right of the main window while no person
// is shown: the program's name and version, its website and licence.
class AboutPanel : public QFrame {
    Q_OBJECT
public:
    explicit AboutPanel(QWidget *parent = nullptr);
    void loadLanguage();

private:
    QLabel *m_fraInfo;
    QLabel *m_lblWebsite;
    LinkLabel *m_lblWebsite2;
    QLabel *m_lblLicense;
    QLabel *m_lblLicense2;
};

} // namespace velmora
