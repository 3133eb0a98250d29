#pragma once

#include <QDialog>
#include <QString>

class QCheckBox;
class QLabel;
class QPushButton;

namespace velmora {

// The announcement of a newer version (frmNewVersion): its number, a link to
// the product page and a box to be left alone about this version. Closing
// the window in any way with the box ticked stores the version in "Check
// version Since".
class NewVersionWindow : public QDialog {
    Q_OBJECT
public:
    explicit NewVersionWindow(const QString &latestVersion, QWidget *parent = nullptr);
    ~NewVersionWindow() override;

    void loadLanguage();
    // Opens the product page and closes the window.
    void openWebsite();

    void done(int result) override;

protected:
    bool event(QEvent *event) override;

private:
    void rememberChoice();

    QString m_latestVersion;
    QLabel *m_picInfo;
    QLabel *m_lblNewVersion;
    QCheckBox *m_chkRemind;
    QPushButton *m_cmdOK;
    QPushButton *m_cmdWebsite;
    bool m_soundPlayed = false;
    bool m_choiceStored = false;
};

} // namespace velmora
