#include "editor/ui/PersonEditor.h"

#include "app/ErrorLog.h"
#include "app/Prompts.h"
#include "app/Seams.h"
#include "editor/DateOfBirth.h"
#include "editor/EditorRules.h"
#include "editor/PersonStore.h"
#include "editor/ui/DateField.h"
#include "editor/ui/ListButtonIcons.h"
#include "mainwindow/DetailRules.h"
#include "mainwindow/NoteLinks.h"
#include "app/PersonKey.h"
#include "mainwindow/SearchState.h"
#include "mainwindow/ui/ListHost.h"
#include "settings/DisplayOptions.h"
#include "settings/Settings.h"
#include "settings/Translate.h"

#include <QAction>
#include <QClipboard>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace velmora {

namespace {

QGroupBox *frame(const QString &name, QWidget *parent)
{
    auto *box = new QGroupBox(parent);
    box->setObjectName(name);
    return box;
}

QToolButton *listButton(const QString &name, ListButtonIcons::Picture picture, QWidget *parent)
{
    auto *button = new QToolButton(parent);
    button->setObjectName(name);
    button->setIcon(ListButtonIcons::icon(picture));
    button->setIconSize(QSize(16, 16));
    button->setFixedSize(28, 26);
    return button;
}

QAction *menuItem(QMenu *menu, const QString &name)
{
    auto *action = menu->addAction(QString());
    action->setObjectName(name);
    return action;
}

QAction *separator(QMenu *menu, const QString &name)
{
    QAction *action = menu->addSeparator();
    action->setObjectName(name);
    return action;
}

} // namespace

PersonEditor::PersonEditor(Mode mode, int contactnr, ListHost *host, QWidget *parent)
    : QDialog(parent), m_mode(mode), m_contactnr(contactnr), m_host(host),
      m_runDialog([](EntryDialog &dialog) { dialog.exec(); })
{
    setObjectName(mode == Mode::Add ? QStringLiteral("frmContactAdd") : QStringLiteral("frmContactEdit"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    buildWindow();
    loadLanguage();

    // The date format is read once, when the window opens.
    m_dateFormat = getSetting(QStringLiteral("Date"));
    if (dateFormatIndex(m_dateFormat) < 0)
        m_dateFormat = dateFormatAt(0);
    m_dateLabel->setText(dateFormatLabel(m_dateFormat));
    m_date->setDateFormat(m_dateFormat);

    applyNameOrder();
    applyFontSize();
    setPhoneControls();
    setEmailControls();

    if (mode == Mode::Edit)
        loadPerson(contactnr);
}

PersonEditor::~PersonEditor() = default;

void PersonEditor::setDialogRunner(DialogRunner runner)
{
    m_runDialog = std::move(runner);
}

// ---- building the window ----

void PersonEditor::buildWindow()
{
    m_firstNameFrame = frame(QStringLiteral("fraFirstName"), this);
    m_firstName = new QLineEdit(m_firstNameFrame);
    m_firstName->setObjectName(QStringLiteral("txtFirstname"));
    m_firstName->setMaxLength(50);
    (new QVBoxLayout(m_firstNameFrame))->addWidget(m_firstName);

    m_lastNameFrame = frame(QStringLiteral("fraLastname"), this);
    m_lastName = new QLineEdit(m_lastNameFrame);
    m_lastName->setObjectName(QStringLiteral("txtLastname"));
    m_lastName->setMaxLength(50);
    (new QVBoxLayout(m_lastNameFrame))->addWidget(m_lastName);

    m_namesRow = new QWidget(this);
    auto *namesLayout = new QHBoxLayout(m_namesRow);
    namesLayout->setContentsMargins(0, 0, 0, 0);

    m_dateFrame = frame(QStringLiteral("fraDateofbirth"), this);
    m_date = new DateField(m_dateFrame);
    m_date->setObjectName(QStringLiteral("txtDateofbirth"));
    m_dateLabel = new QLabel(m_dateFrame);
    m_dateLabel->setObjectName(QStringLiteral("lblDateFormat"));
    auto *dateLayout = new QHBoxLayout(m_dateFrame);
    dateLayout->addWidget(m_date);
    dateLayout->addWidget(m_dateLabel);
    dateLayout->addStretch(1);

    m_addressFrame = frame(QStringLiteral("fraAddress"), this);
    m_address = new QPlainTextEdit(m_addressFrame);
    m_address->setObjectName(QStringLiteral("txtAddress"));
    m_address->setTabChangesFocus(true);
    m_address->setMinimumHeight(90);
    (new QVBoxLayout(m_addressFrame))->addWidget(m_address);

    m_phone.kind = EntryDialog::Kind::Phone;
    buildEntryList(m_phone, QStringLiteral("fraNumber"), QStringLiteral("lvwPhone"), QStringLiteral("Phone"),
                   QStringLiteral("mnuPopupPhone"), false);
    m_email.kind = EntryDialog::Kind::Email;
    buildEntryList(m_email, QStringLiteral("fraEmail"), QStringLiteral("lvwEmail"), QStringLiteral("Email"),
                   QStringLiteral("mnuPopupEmail"), true);

    m_noteFrame = frame(QStringLiteral("fraNote"), this);
    m_note = new QPlainTextEdit(m_noteFrame);
    m_note->setObjectName(QStringLiteral("rtbNote"));
    m_note->setTabChangesFocus(true);
    m_note->setMinimumHeight(100);
    (new QVBoxLayout(m_noteFrame))->addWidget(m_note);

    // Enter in a field never presses OK; Esc cancels.
    m_ok = new QPushButton(this);
    m_ok->setObjectName(QStringLiteral("cmdOk"));
    m_ok->setAutoDefault(false);
    m_ok->setDefault(false);
    m_cancel = new QPushButton(this);
    m_cancel->setObjectName(QStringLiteral("cmdCancel"));
    m_cancel->setAutoDefault(false);
    connect(m_ok, &QPushButton::clicked, this, &PersonEditor::save);
    connect(m_cancel, &QPushButton::clicked, this, &PersonEditor::reject);
    for (QPushButton *b : {m_ok, m_cancel})
        b->setMinimumWidth(90);

    buildFieldMenu(m_firstName, QStringLiteral("mnuPopupFirstname"));
    buildFieldMenu(m_lastName, QStringLiteral("mnuPopupLastname"));
    buildFieldMenu(m_address, QStringLiteral("mnuPopupAddress"));
    buildFieldMenu(m_note, QStringLiteral("mnuPopupNote"));

    auto *left = new QVBoxLayout;
    left->addWidget(m_namesRow);
    left->addWidget(m_dateFrame);
    left->addWidget(m_addressFrame, 1);
    auto *right = new QVBoxLayout;
    right->addWidget(m_phone.frame, 1);
    right->addWidget(m_email.frame, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);

    auto *grid = new QGridLayout(this);
    grid->addLayout(left, 0, 0);
    grid->addLayout(right, 0, 1);
    grid->addWidget(m_noteFrame, 1, 0, 1, 2);
    grid->addLayout(buttons, 2, 0, 1, 2);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(0, 3);
    grid->setRowStretch(1, 2);
    resize(sizeHint().boundedTo(QSize(720, 580)));
}

void PersonEditor::buildEntryList(EntryList &l, const QString &frameName, const QString &listName,
                                  const QString &prefix, const QString &menuName, bool email)
{
    l.frame = frame(frameName, this);
    l.list = new QListWidget(l.frame);
    l.list->setObjectName(listName);
    l.list->setSelectionMode(QAbstractItemView::SingleSelection);
    l.list->setContextMenuPolicy(Qt::CustomContextMenu);
    l.list->setMinimumWidth(220);
    l.list->installEventFilter(this);
    l.list->viewport()->installEventFilter(this);

    const QString cmd = QStringLiteral("cmd") + prefix;
    l.addButton = listButton(cmd + QStringLiteral("Add"), ListButtonIcons::Picture::Add, l.frame);
    l.editButton = listButton(cmd + QStringLiteral("Edit"), ListButtonIcons::Picture::Edit, l.frame);
    l.removeButton = listButton(cmd + QStringLiteral("Remove"), ListButtonIcons::Picture::Remove, l.frame);
    l.upButton = listButton(cmd + QStringLiteral("Up"), ListButtonIcons::Picture::Up, l.frame);
    l.downButton = listButton(cmd + QStringLiteral("Down"), ListButtonIcons::Picture::Down, l.frame);

    auto *buttonColumn = new QVBoxLayout;
    buttonColumn->setSpacing(2);
    for (QToolButton *b : {l.addButton, l.editButton, l.removeButton, l.upButton, l.downButton})
        buttonColumn->addWidget(b);
    buttonColumn->addStretch(1);
    auto *layout = new QHBoxLayout(l.frame);
    layout->addWidget(l.list, 1);
    layout->addLayout(buttonColumn);

    l.menu = new QMenu(this);
    l.menu->setObjectName(menuName);
    l.addItem = menuItem(l.menu, menuName + QStringLiteral("Add"));
    l.editItem = menuItem(l.menu, menuName + QStringLiteral("Edit"));
    l.removeItem = menuItem(l.menu, menuName + QStringLiteral("Remove"));
    separator(l.menu, email ? QStringLiteral("mnuLine4") : QStringLiteral("mnuLine3"));
    l.upItem = menuItem(l.menu, menuName + QStringLiteral("Up"));
    l.downItem = menuItem(l.menu, menuName + QStringLiteral("Down"));
    separator(l.menu, email ? QStringLiteral("mnuLine2") : QStringLiteral("mnuLine"));
    l.copyItem = menuItem(l.menu, menuName + QStringLiteral("Copy"));
    l.copyTextItem = menuItem(l.menu, menuName + QStringLiteral("Copy2"));
    if (email) {
        separator(l.menu, QStringLiteral("mnuLine5"));
        l.sendItem = menuItem(l.menu, menuName + QStringLiteral("Send"));
        l.websiteItem = menuItem(l.menu, menuName + QStringLiteral("Website"));
        connect(l.sendItem, &QAction::triggered, this, &PersonEditor::sendEmail);
        connect(l.websiteItem, &QAction::triggered, this, &PersonEditor::openWebsite);
    }

    EntryList *p = &l;
    for (auto [button, item] : {std::pair{l.addButton, l.addItem}, std::pair{l.editButton, l.editItem},
                                std::pair{l.removeButton, l.removeItem}, std::pair{l.upButton, l.upItem},
                                std::pair{l.downButton, l.downItem}}) {
        auto run = [this, p, item = item] {
            if (item == p->addItem)
                addEntry(*p);
            else if (item == p->editItem)
                editEntry(*p);
            else if (item == p->removeItem)
                removeEntry(*p);
            else if (item == p->upItem)
                moveEntry(*p, -1);
            else
                moveEntry(*p, +1);
        };
        connect(button, &QToolButton::clicked, this, run);
        connect(item, &QAction::triggered, this, run);
    }
    connect(l.copyItem, &QAction::triggered, this, [this, p] { copyEntry(*p, false); });
    connect(l.copyTextItem, &QAction::triggered, this, [this, p] { copyEntry(*p, true); });

    connect(l.list, &QListWidget::itemSelectionChanged, this, [this, p] {
        if (!m_loading)
            setControls(*p);
    });
    connect(l.list, &QWidget::customContextMenuRequested, this, [this, p](const QPoint &pos) {
        setControls(*p);
        p->menu->popup(p->list->viewport()->mapToGlobal(pos));
    });
}

void PersonEditor::buildFieldMenu(QWidget *field, const QString &name)
{
    FieldMenu m;
    m.menu = new QMenu(this);
    m.menu->setObjectName(name);
    m.copy = menuItem(m.menu, name + QStringLiteral("Copy"));
    m.paste = menuItem(m.menu, name + QStringLiteral("Paste"));
    connect(m.copy, &QAction::triggered, this, [this, field] { copyField(field); });
    connect(m.paste, &QAction::triggered, this, [this, field] { pasteField(field); });
    m_fieldMenus.insert(field, m);

    field->setContextMenuPolicy(Qt::CustomContextMenu);
    auto *edit = qobject_cast<QPlainTextEdit *>(field);
    QWidget *surface = edit ? edit->viewport() : field;
    connect(field, &QWidget::customContextMenuRequested, this,
            [this, field, surface](const QPoint &pos) { showFieldMenu(field, surface->mapToGlobal(pos)); });
}

void PersonEditor::loadLanguage()
{
    setWindowTitle(m_mode == Mode::Add ? T("Add") : T("Edit"));
    m_firstNameFrame->setTitle(T("First name"));
    m_lastNameFrame->setTitle(T("Last name"));
    m_dateFrame->setTitle(T("Date of birth"));
    m_addressFrame->setTitle(T("Address"));
    m_phone.frame->setTitle(T("Numbers"));
    m_email.frame->setTitle(T("E-mail"));
    m_noteFrame->setTitle(T("Note"));
    m_ok->setText(T("OK"));
    m_cancel->setText(T("Cancel"));

    const QString dots = QStringLiteral("...");
    for (EntryList *l : {&m_phone, &m_email}) {
        l->addButton->setToolTip(T("Add"));
        l->editButton->setToolTip(T("Edit"));
        l->removeButton->setToolTip(T("Remove"));
        l->upButton->setToolTip(T("Move up"));
        l->downButton->setToolTip(T("Move down"));
        l->addItem->setText(T("Add") + dots);
        l->editItem->setText(T("Edit") + dots);
        l->removeItem->setText(T("Remove"));
        l->upItem->setText(T("Move up"));
        l->downItem->setText(T("Move down"));
    }
    const QString copy = T("Copy") + QStringLiteral(": ");
    const QString plus = QStringLiteral(" + ") + T("Description");
    m_phone.copyItem->setText(copy + T("Number"));
    m_phone.copyTextItem->setText(copy + T("Number") + plus);
    m_email.copyItem->setText(copy + T("E-mail"));
    m_email.copyTextItem->setText(copy + T("E-mail") + plus);
    m_email.sendItem->setText(T("Send e-mail"));
    m_email.websiteItem->setText(T("Website"));
    for (const FieldMenu &m : std::as_const(m_fieldMenus)) {
        m.copy->setText(T("Copy"));
        m.paste->setText(T("Paste"));
    }
}

// The name that comes first in the list order stands left and takes the
// focus first.
void PersonEditor::applyNameOrder()
{
    const bool lastLeft =
        EditorRules::nameLayout(getSetting(QStringLiteral("List"))) == EditorRules::NameLayout::LastNameLeft;
    auto *layout = static_cast<QHBoxLayout *>(m_namesRow->layout());
    layout->removeWidget(m_firstNameFrame);
    layout->removeWidget(m_lastNameFrame);
    QWidget *first = lastLeft ? m_lastName : m_firstName;
    QWidget *second = lastLeft ? m_firstName : m_lastName;
    layout->addWidget(lastLeft ? m_lastNameFrame : m_firstNameFrame, 1);
    layout->addWidget(lastLeft ? m_firstNameFrame : m_lastNameFrame, 1);

    const QList<QWidget *> chain{first,
                                 second,
                                 m_date,
                                 m_address,
                                 m_phone.list,
                                 m_phone.addButton,
                                 m_phone.editButton,
                                 m_phone.removeButton,
                                 m_phone.upButton,
                                 m_phone.downButton,
                                 m_email.list,
                                 m_email.addButton,
                                 m_email.editButton,
                                 m_email.removeButton,
                                 m_email.upButton,
                                 m_email.downButton,
                                 m_note,
                                 m_ok,
                                 m_cancel};
    for (int i = 0; i + 1 < chain.size(); ++i)
        setTabOrder(chain.at(i), chain.at(i + 1));
    first->setFocus();
}

void PersonEditor::applyFontSize()
{
    const qreal points = fontPoints(fontSizeSetting());
    for (QWidget *w : std::initializer_list<QWidget *>{m_firstName, m_lastName, m_date, m_address,
                                                       m_phone.list, m_email.list, m_note}) {
        QFont font = w->font();
        font.setPointSizeF(points);
        w->setFont(font);
    }
}

void PersonEditor::loadPerson(int contactnr)
{
    PersonDraft person;
    QDate date;
    bool found = false;
    const DbError e = PersonStore::loadPerson(contactnr, person, date, found);
    m_loaded = !e.failed() && found;
    if (!m_loaded)
        return;

    m_loading = true;
    m_firstName->setText(person.firstName);
    m_lastName->setText(person.lastName);
    m_date->setDate(date);
    m_loadedAddress = person.address;
    m_loadedNote = person.note;
    m_address->setPlainText(person.address);
    m_note->setPlainText(person.note);
    for (auto [l, list] : {std::pair{&m_phone, &person.phones}, std::pair{&m_email, &person.emails}}) {
        for (const ListEntry &entry : *list) {
            auto *item = new QListWidgetItem(entry.text, l->list);
            item->setToolTip(entry.text);
            item->setData(EntryDialog::ValueRole, entry.value);
        }
        // A list with entries always has one selected; the buttons wait
        // for the first event of the list.
        if (l->list->count() > 0)
            l->list->setCurrentRow(0);
    }
    m_loading = false;
}

// ---- the lists ----

QList<ListEntry> PersonEditor::entries(const QListWidget *list)
{
    QList<ListEntry> out;
    out.reserve(list->count());
    for (int i = 0; i < list->count(); ++i) {
        const QListWidgetItem *item = list->item(i);
        out.append({item->text(), item->data(EntryDialog::ValueRole).toString()});
    }
    return out;
}

QList<ListEntry> PersonEditor::phoneEntries() const
{
    return entries(m_phone.list);
}

QList<ListEntry> PersonEditor::emailEntries() const
{
    return entries(m_email.list);
}

int PersonEditor::selectedRow(const QListWidget *list)
{
    const QList<QListWidgetItem *> selected = list->selectedItems();
    return selected.isEmpty() ? -1 : list->row(selected.first());
}

void PersonEditor::setPhoneControls()
{
    setControls(m_phone);
}

void PersonEditor::setEmailControls()
{
    setControls(m_email);
}

void PersonEditor::setControls(EntryList &l)
{
    const bool email = l.kind == EntryDialog::Kind::Email;
    const EditorRules::ListControls c =
        EditorRules::listControls(entries(l.list), selectedRow(l.list), email);
    l.editButton->setEnabled(c.edit);
    l.editItem->setEnabled(c.edit);
    l.removeButton->setEnabled(c.remove);
    l.removeItem->setEnabled(c.remove);
    l.upButton->setEnabled(c.up);
    l.upItem->setEnabled(c.up);
    l.downButton->setEnabled(c.down);
    l.downItem->setEnabled(c.down);
    l.copyItem->setEnabled(c.copy);
    l.copyTextItem->setEnabled(c.copyWithText);
    if (email) {
        l.sendItem->setEnabled(c.send);
        l.websiteItem->setEnabled(c.website);
    }
}

void PersonEditor::runEntryDialog(EntryList &l, EntryDialog::Mode mode)
{
    if (mode == EntryDialog::Mode::Edit && selectedRow(l.list) < 0)
        return;
    EntryList *p = &l;
    EntryDialog dialog(
        l.kind, mode, m_mode == Mode::Edit, l.list, [this, p] { setControls(*p); }, this);
    m_runDialog(dialog);
    setControls(l);
}

void PersonEditor::addEntry(EntryList &l)
{
    runEntryDialog(l, EntryDialog::Mode::Add);
}

void PersonEditor::editEntry(EntryList &l)
{
    runEntryDialog(l, EntryDialog::Mode::Edit);
}

void PersonEditor::removeEntry(EntryList &l)
{
    const int row = selectedRow(l.list);
    if (row >= 0) {
        delete l.list->takeItem(row);
        if (l.list->count() > 0)
            l.list->setCurrentRow(qMin(row, l.list->count() - 1));
    }
    setControls(l);
}

void PersonEditor::moveEntry(EntryList &l, int step)
{
    const int from = selectedRow(l.list);
    const int to = from + step;
    QList<ListEntry> list = entries(l.list);
    if (from < 0 || !EditorRules::swapEntries(list, from, to))
        return;
    for (int row : {from, to}) {
        QListWidgetItem *item = l.list->item(row);
        item->setText(list.at(row).text);
        item->setToolTip(list.at(row).text);
        item->setData(EntryDialog::ValueRole, list.at(row).value);
    }
    l.list->setCurrentRow(to);
    l.list->scrollToItem(l.list->item(to));
    l.list->setFocus();
    setControls(l);
}

void PersonEditor::copyEntry(EntryList &l, bool withDescription)
{
    const int row = selectedRow(l.list);
    if (row < 0)
        return;
    const QListWidgetItem *item = l.list->item(row);
    putOnClipboard(
        trimBlanks(withDescription ? item->text() : item->data(EntryDialog::ValueRole).toString()));
}

void PersonEditor::sendEmail()
{
    const int row = selectedRow(m_email.list);
    if (row < 0)
        return;
    openLink(mailtoLink(m_email.list->item(row)->data(EntryDialog::ValueRole).toString()));
}

void PersonEditor::openWebsite()
{
    const int row = selectedRow(m_email.list);
    if (row < 0)
        return;
    const QListWidgetItem *item = m_email.list->item(row);
    openLink(providerProfileLink(item->text(), item->data(EntryDialog::ValueRole).toString()));
}

bool PersonEditor::eventFilter(QObject *watched, QEvent *event)
{
    for (EntryList *l : {&m_phone, &m_email}) {
        if (watched == l->list) {
            if (event->type() == QEvent::FocusIn) {
                setControls(*l);
            } else if (event->type() == QEvent::KeyPress) {
                auto *key = static_cast<QKeyEvent *>(event);
                if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
                    if (l->list->count() > 0)
                        editEntry(*l);
                    return true;
                }
                if (key->matches(QKeySequence::Copy)) {
                    if (l->list->count() > 0)
                        copyEntry(*l, false);
                    return true;
                }
            }
        } else if (watched == l->list->viewport()) {
            if (event->type() == QEvent::MouseButtonRelease) {
                setControls(*l);
            } else if (event->type() == QEvent::MouseButtonDblClick &&
                       static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
                if (l->list->count() == 0)
                    addEntry(*l);
                else
                    editEntry(*l);
                return true;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

// ---- field pop-up menus and the clipboard ----

void PersonEditor::putOnClipboard(const QString &text)
{
    QClipboard *clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setText(text);
}

QString PersonEditor::plainText(const QPlainTextEdit *edit)
{
    // The raw text keeps non-breaking spaces; only the paragraph and line
    // separators of the text box become line breaks.
    QString text = edit->document()->toRawText();
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    text.replace(QChar::LineSeparator, QLatin1Char('\n'));
    return text;
}

// A text box shows every kind of line break as its own; when the text is
// still the one that was read, the stored text is written back as it was.
QString PersonEditor::keptText(const QPlainTextEdit *edit, const QString &loaded)
{
    const QString shown = plainText(edit);
    QString normalized = loaded;
    normalized.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    normalized.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    normalized.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    normalized.replace(QChar::LineSeparator, QLatin1Char('\n'));
    return shown == normalized ? loaded : shown;
}

QString PersonEditor::addressText() const
{
    return keptText(m_address, m_loadedAddress);
}

QString PersonEditor::noteText() const
{
    return keptText(m_note, m_loadedNote);
}

void PersonEditor::showFieldMenu(QWidget *field, const QPoint &globalPos)
{
    const FieldMenu m = m_fieldMenus.value(field);
    if (!m.menu)
        return;
    bool selection = false;
    if (auto *line = qobject_cast<QLineEdit *>(field))
        selection = line->hasSelectedText();
    else if (auto *edit = qobject_cast<QPlainTextEdit *>(field))
        selection = edit->textCursor().hasSelection();
    m.copy->setEnabled(selection);
    m.paste->setEnabled(!QGuiApplication::clipboard()->text().isEmpty());
    field->setFocus();
    m.menu->popup(globalPos);
}

void PersonEditor::copyField(QWidget *field)
{
    if (auto *line = qobject_cast<QLineEdit *>(field)) {
        putOnClipboard(boxCopyText(line->text(), line->selectedText()));
    } else if (auto *edit = qobject_cast<QPlainTextEdit *>(field)) {
        QString selected = edit->textCursor().selectedText();
        selected.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
        selected.replace(QChar::LineSeparator, QLatin1Char('\n'));
        putOnClipboard(boxCopyText(plainText(edit), selected));
    }
}

void PersonEditor::pasteField(QWidget *field)
{
    const QString clip = QGuiApplication::clipboard()->text();
    if (auto *line = qobject_cast<QLineEdit *>(field)) {
        // In place of the selection, or at the caret; what does not fit the
        // field is cut off.
        line->insert(clip);
    } else if (auto *edit = qobject_cast<QPlainTextEdit *>(field)) {
        QTextCursor cursor = edit->textCursor();
        cursor.insertText(clip);
        edit->setTextCursor(cursor);
    }
}

// ---- OK ----

void PersonEditor::save()
{
    if (!EditorRules::namesGiven(m_firstName->text(), m_lastName->text())) {
        prompts().message(T("Either first name or last name has to be filled in!"),
                          T("Error") + QStringLiteral("!"), Icon::Exclamation);
        return;
    }
    const std::optional<QString> date = dateOfBirthToSql(m_date->fieldText(), m_dateFormat);
    if (!date) {
        prompts().message(T("Date of birth") + QStringLiteral(" ") + T("is invalid") + QStringLiteral("!"),
                          T("Error"), Icon::Exclamation);
        return;
    }

    PersonDraft person;
    person.firstName = m_firstName->text();
    person.lastName = m_lastName->text();
    person.dateOfBirth = *date;
    person.address = addressText();
    person.note = noteText();
    person.phones = phoneEntries();
    person.emails = emailEntries();

    int nr = m_contactnr;
    const DbError e =
        m_mode == Mode::Add ? PersonStore::addPerson(person, nr) : PersonStore::updatePerson(nr, person);
    if (e.failed()) {
        // Nothing was written; the editor stays open with everything typed.
        writeLog((m_mode == Mode::Add ? QStringLiteral("Error adding person: ")
                                      : QStringLiteral("Error saving person: ")) +
                 QString::number(e.number) + QStringLiteral(": ") + e.description);
        prompts().message(T("The person could not be saved:") + QStringLiteral("\r\n") + e.description,
                          T("Error"), Icon::Exclamation);
        return;
    }
    m_saved = nr;

    if (m_host) {
        searchState().condition.clear();
        m_host->setSearchMode(false);
        m_host->fillPersonList();
    }
    hide();
    if (m_host)
        m_host->selectPerson(nr);
    accept();
}

} // namespace velmora
