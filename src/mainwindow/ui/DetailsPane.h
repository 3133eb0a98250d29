#pragma once

#include "mainwindow/PersonDetails.h"

#include <QGroupBox>

class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QTextEdit;
class QTreeWidget;

namespace velmora {

// The details of one person (fraDetails): date of birth with age, address,
// phone numbers, e-mail addresses and the note with its links, with the
// pop-up menus and copies of these boxes. Nothing typed here is stored: the
// contents change only when a person is shown.
class DetailsPane : public QGroupBox {
    Q_OBJECT
public:
    explicit DetailsPane(QWidget *parent = nullptr);

    void showDetails(const PersonDetails &details);
    void clearDetails();
    bool hasPerson() const { return m_shown; }

    void loadLanguage();
    void setDateFormatLabel(const QString &label);
    void setFontPointSize(qreal points);
    // Links in the note are marked and open on a click while this is on.
    void setLinkDetection(bool on);
    bool linkDetection() const { return m_linkDetection; }

    // The states the pop-up menus open with (also used by tests).
    void preparePhonePopup();
    void prepareEmailPopup();
    void prepareDateofbirthPopup();
    void prepareAddressPopup();

    QMenu *popupDateofbirth() const { return m_popupDateofbirth; }
    QMenu *popupAddress() const { return m_popupAddress; }
    QMenu *popupPhone() const { return m_popupPhone; }
    QMenu *popupEmail() const { return m_popupEmail; }
    QMenu *popupNote() const { return m_popupNote; }

public slots:
    void copyDateOfBirth();
    void copyAddress();
    void copyPhone();
    void copyPhoneWithDescription();
    void copyEmail();
    void copyEmailWithDescription();
    void sendEmail();
    void openEmailProfile();
    void copyNote();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildPopups();
    void markLinks();
    void noteReleased(Qt::MouseButton button, const QPoint &pos);
    void showPopup(QMenu *menu, QWidget *over, const QPoint &pos);

    QGroupBox *m_fraDateofbirth;
    QLineEdit *m_txtDateofbirth;
    QLabel *m_lblDateFormat;
    QLabel *m_lblAge;
    QGroupBox *m_fraAddress;
    QPlainTextEdit *m_txtAddress;
    QGroupBox *m_fraNumber;
    QTreeWidget *m_lvwPhone;
    QGroupBox *m_fraEmail;
    QTreeWidget *m_lvwEmail;
    QGroupBox *m_fraNote;
    QTextEdit *m_rtbNote;

    QMenu *m_popupDateofbirth;
    QAction *m_dateofbirthCopy;
    QMenu *m_popupAddress;
    QAction *m_addressCopy;
    QMenu *m_popupPhone;
    QAction *m_phoneCopy;
    QAction *m_phoneCopy2;
    QMenu *m_popupEmail;
    QAction *m_emailCopy;
    QAction *m_emailCopy2;
    QAction *m_emailSend;
    QAction *m_emailWebsite;
    QMenu *m_popupNote;
    QAction *m_noteCopy;

    bool m_shown = false;
    bool m_linkDetection = false;
};

} // namespace velmora
