#include "editor/ui/EntryDialog.h"

#include "editor/EditorRules.h"
#include "editor/PersonStore.h"
#include "app/PersonKey.h"
#include "settings/DisplayOptions.h"
#include "settings/Translate.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

namespace velmora {

QString EntryDialog::dialogName(Kind kind, Mode mode, bool editWindow)
{
    return QStringLiteral("frmContact") + (editWindow ? QStringLiteral("Edit") : QStringLiteral("Add")) +
           (kind == Kind::Phone ? QStringLiteral("Phone") : QStringLiteral("Email")) +
           (mode == Mode::Add ? QStringLiteral("Add") : QStringLiteral("Edit"));
}

EntryDialog::EntryDialog(Kind kind, Mode mode, bool editWindow, QListWidget *ownerList,
                         std::function<void()> setOwnerControls, QWidget *parent)
    : QDialog(parent), m_kind(kind), m_mode(mode), m_list(ownerList),
      m_setOwnerControls(std::move(setOwnerControls))
{
    setObjectName(dialogName(kind, mode, editWindow));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    const bool phone = kind == Kind::Phone;

    m_valueLabel = new QLabel(this);
    m_valueLabel->setObjectName(phone ? QStringLiteral("lblNumber") : QStringLiteral("lblEmail"));
    m_value = new QLineEdit(this);
    m_value->setObjectName(phone ? QStringLiteral("txtNumber") : QStringLiteral("txtEmail"));
    m_value->setMaxLength(phone ? 50 : 100);
    m_valueLabel->setBuddy(m_value);

    m_descriptionLabel = new QLabel(this);
    m_descriptionLabel->setObjectName(QStringLiteral("lblDescription"));
    m_description = new QLineEdit(this);
    m_description->setObjectName(QStringLiteral("txtDescription"));
    m_description->setMaxLength(100);
    m_descriptionLabel->setBuddy(m_description);

    m_ok = new QPushButton(this);
    m_ok->setObjectName(QStringLiteral("cmdOk"));
    m_ok->setDefault(true);
    m_cancel = new QPushButton(this);
    m_cancel->setObjectName(QStringLiteral("cmdCancel"));
    m_cancel->setAutoDefault(false);
    connect(m_ok, &QPushButton::clicked, this, &EntryDialog::accept);
    connect(m_cancel, &QPushButton::clicked, this, &EntryDialog::reject);

    // Only the add dialogs follow the font size of the display options.
    if (mode == Mode::Add) {
        QFont font = m_value->font();
        font.setPointSizeF(fontPoints(fontSizeSetting()));
        m_value->setFont(font);
        m_description->setFont(font);
    }

    auto *buttons = new QDialogButtonBox(Qt::Horizontal, this);
    buttons->addButton(m_ok, QDialogButtonBox::AcceptRole);
    buttons->addButton(m_cancel, QDialogButtonBox::RejectRole);

    auto *grid = new QGridLayout(this);
    grid->addWidget(m_valueLabel, 0, 0);
    grid->addWidget(m_value, 0, 1);
    grid->addWidget(m_descriptionLabel, 1, 0);
    grid->addWidget(m_description, 1, 1);
    grid->setColumnMinimumWidth(1, 280);
    grid->setColumnStretch(1, 1);
    grid->addWidget(buttons, 2, 0, 1, 2);
    grid->setSizeConstraint(QLayout::SetFixedSize);

    setTabOrder(m_value, m_description);
    setTabOrder(m_description, m_ok);
    setTabOrder(m_ok, m_cancel);

    loadLanguage();

    m_ok->setEnabled(mode == Mode::Edit);
    connect(m_value, &QLineEdit::textChanged, this, &EntryDialog::valueChanged);

    if (mode == Mode::Edit && m_list) {
        if (QListWidgetItem *item = m_list->currentItem()) {
            const QString value = trimBlanks(item->data(ValueRole).toString());
            m_value->setText(value);
            m_description->setText(PersonStore::descriptionFromItemText(trimBlanks(item->text()), value));
        }
    }
    m_value->setFocus();
}

void EntryDialog::loadLanguage()
{
    setWindowTitle(m_mode == Mode::Add ? T("Add") : T("Edit"));
    m_valueLabel->setText(m_kind == Kind::Phone ? T("Number") : T("E-mail"));
    m_descriptionLabel->setText(T("Description"));
    m_ok->setText(T("OK"));
    m_cancel->setText(T("Cancel"));
}

void EntryDialog::valueChanged(const QString &text)
{
    m_ok->setEnabled(EditorRules::entryAcceptable(m_kind == Kind::Email, text));
}

void EntryDialog::accept()
{
    if (!m_ok->isEnabled())
        return;
    const ListEntry entry = EditorRules::makeEntry(m_value->text(), m_description->text());
    if (m_list) {
        QListWidgetItem *item = nullptr;
        if (m_mode == Mode::Add) {
            item = new QListWidgetItem;
            m_list->addItem(item);
        } else {
            item = m_list->currentItem();
        }
        if (item) {
            item->setText(entry.text);
            item->setToolTip(entry.text);
            item->setData(ValueRole, entry.value);
            m_list->setCurrentItem(item);
            m_list->scrollToItem(item);
        }
        hide();
        m_list->setFocus();
    }
    if (m_setOwnerControls)
        m_setOwnerControls();
    QDialog::accept();
}

} // namespace velmora
