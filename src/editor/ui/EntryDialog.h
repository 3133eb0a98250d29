#pragma once

#include <QDialog>
#include <functional>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace velmora {

// The small dialog in which one phone number or e-mail address is typed with
// its description, for one of the editor's two lists. On OK it writes the
// entry straight into the list (appended, or in place of the selected
// entry), selects it, gives the list the focus and lets the editor recompute
// its list buttons.
class EntryDialog : public QDialog {
    Q_OBJECT
public:
    enum class Kind { Phone, Email };
    enum class Mode { Add, Edit };
    // The role of a list row's data that holds the entry's value.
    static constexpr int ValueRole = Qt::UserRole;

    // editWindow: the owner is the edit window (names the dialog
    // frmContactEdit...), else the add window (frmContactAdd...).
    // Edit mode needs a selected row in the list.
    EntryDialog(Kind kind, Mode mode, bool editWindow, QListWidget *ownerList,
                std::function<void()> setOwnerControls, QWidget *parent = nullptr);

    static QString dialogName(Kind kind, Mode mode, bool editWindow);

    Kind kind() const { return m_kind; }
    Mode mode() const { return m_mode; }
    QLineEdit *valueField() const { return m_value; }
    QLineEdit *descriptionField() const { return m_description; }
    QPushButton *okButton() const { return m_ok; }

    void loadLanguage();

public slots:
    void accept() override;

private:
    void valueChanged(const QString &text);

    Kind m_kind;
    Mode m_mode;
    QListWidget *m_list;
    std::function<void()> m_setOwnerControls;
    QLabel *m_valueLabel = nullptr;
    QLabel *m_descriptionLabel = nullptr;
    QLineEdit *m_value = nullptr;
    QLineEdit *m_description = nullptr;
    QPushButton *m_ok = nullptr;
    QPushButton *m_cancel = nullptr;
};

} // namespace velmora
