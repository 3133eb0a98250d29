#pragma once

#include "editor/ListEntry.h"
#include "editor/ui/EntryDialog.h"

#include <QDialog>
#include <QHash>
#include <QList>
#include <functional>

class QAction;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QToolButton;

namespace velmora {

class DateField;
class ListHost;

// The person editor: the window in which a new person is entered (add mode,
// frmContactAdd) or a stored one changed (edit mode, frmContactEdit). Nothing
// is written before OK; OK checks the names and the date, saves the person as
// one transaction, takes the main window out of search mode, rebuilds its
// list, selects and shows the saved person and closes. A failure keeps the
// editor open with everything as typed.
class PersonEditor : public QDialog {
    Q_OBJECT
public:
    enum class Mode { Add, Edit };

    // host: the main window's list (may be null, e.g. in tests). In edit mode
    // the person contactnr is read at once; see isLoaded().
    PersonEditor(Mode mode, int contactnr, ListHost *host, QWidget *parent = nullptr);
    ~PersonEditor() override;

    Mode mode() const { return m_mode; }
    // Edit mode: whether the person was found and read. Add mode: true.
    bool isLoaded() const { return m_loaded; }
    // The person saved by OK, 0 before.
    int savedContactnr() const { return m_saved; }
    QString dateFormat() const { return m_dateFormat; }

    // Every entry dialog is shown through this; the default runs it modally.
    // Tests drive the dialog through it instead.
    using DialogRunner = std::function<void(EntryDialog &)>;
    void setDialogRunner(DialogRunner runner);

    void loadLanguage();

    // The enabled state of one list's buttons and pop-up items.
    void setPhoneControls();
    void setEmailControls();

    // The entries of a list as they stand, in order.
    QList<ListEntry> phoneEntries() const;
    QList<ListEntry> emailEntries() const;

public slots:
    // OK: check, save, refresh the main window, close.
    void save();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct EntryList {
        EntryDialog::Kind kind = EntryDialog::Kind::Phone;
        QGroupBox *frame = nullptr;
        QListWidget *list = nullptr;
        QToolButton *addButton = nullptr;
        QToolButton *editButton = nullptr;
        QToolButton *removeButton = nullptr;
        QToolButton *upButton = nullptr;
        QToolButton *downButton = nullptr;
        QMenu *menu = nullptr;
        QAction *addItem = nullptr;
        QAction *editItem = nullptr;
        QAction *removeItem = nullptr;
        QAction *upItem = nullptr;
        QAction *downItem = nullptr;
        QAction *copyItem = nullptr;
        QAction *copyTextItem = nullptr;
        QAction *sendItem = nullptr;
        QAction *websiteItem = nullptr;
    };
    struct FieldMenu {
        QMenu *menu = nullptr;
        QAction *copy = nullptr;
        QAction *paste = nullptr;
    };

    void buildWindow();
    void buildEntryList(EntryList &l, const QString &frameName, const QString &listName,
                        const QString &prefix, const QString &menuName, bool email);
    QWidget *buildListFrame(EntryList &l);
    void buildFieldMenu(QWidget *field, const QString &name);
    void applyNameOrder();
    void applyFontSize();
    void loadPerson(int contactnr);

    EntryList &entryList(EntryDialog::Kind kind)
    {
        return kind == EntryDialog::Kind::Phone ? m_phone : m_email;
    }
    static QList<ListEntry> entries(const QListWidget *list);
    static int selectedRow(const QListWidget *list);
    void setControls(EntryList &l);
    void runEntryDialog(EntryList &l, EntryDialog::Mode mode);
    void addEntry(EntryList &l);
    void editEntry(EntryList &l);
    void removeEntry(EntryList &l);
    void moveEntry(EntryList &l, int step);
    void copyEntry(EntryList &l, bool withDescription);
    void sendEmail();
    void openWebsite();

    void showFieldMenu(QWidget *field, const QPoint &globalPos);
    void copyField(QWidget *field);
    void pasteField(QWidget *field);
    static void putOnClipboard(const QString &text);
    static QString plainText(const QPlainTextEdit *edit);
    static QString keptText(const QPlainTextEdit *edit, const QString &loaded);
    QString addressText() const;
    QString noteText() const;

    Mode m_mode;
    int m_contactnr = 0;
    int m_saved = 0;
    bool m_loaded = true;
    bool m_loading = false;
    ListHost *m_host = nullptr;
    QString m_dateFormat;
    DialogRunner m_runDialog;
    // Address and note as read, written back as they were when the user
    // leaves them as shown (the text box rewrites their line breaks).
    QString m_loadedAddress;
    QString m_loadedNote;

    QGroupBox *m_firstNameFrame = nullptr;
    QGroupBox *m_lastNameFrame = nullptr;
    QGroupBox *m_dateFrame = nullptr;
    QGroupBox *m_addressFrame = nullptr;
    QGroupBox *m_noteFrame = nullptr;
    QLineEdit *m_firstName = nullptr;
    QLineEdit *m_lastName = nullptr;
    DateField *m_date = nullptr;
    QLabel *m_dateLabel = nullptr;
    QPlainTextEdit *m_address = nullptr;
    QPlainTextEdit *m_note = nullptr;
    QWidget *m_namesRow = nullptr;
    EntryList m_phone;
    EntryList m_email;
    QPushButton *m_ok = nullptr;
    QPushButton *m_cancel = nullptr;
    QHash<QWidget *, FieldMenu> m_fieldMenus;
};

} // namespace velmora
