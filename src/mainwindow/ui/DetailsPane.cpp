#include "mainwindow/ui/DetailsPane.h"

#include "app/ui/ClipboardText.h"
#include "mainwindow/DetailRules.h"
#include "mainwindow/NoteLinks.h"
#include "settings/Translate.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <QTextEdit>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace velmora {

namespace {

constexpr int kTagRole = Qt::UserRole;

QGroupBox *makeFrame(const char *name, QWidget *parent)
{
    auto *frame = new QGroupBox(parent);
    frame->setObjectName(QLatin1String(name));
    return frame;
}

QTreeWidget *makeEntryList(const char *name, const char *columnKey, QWidget *parent)
{
    auto *list = new QTreeWidget(parent);
    list->setObjectName(QLatin1String(name));
    list->setColumnCount(1);
    list->headerItem()->setData(0, Qt::UserRole, QLatin1String(columnKey));
    list->setHeaderHidden(true);
    list->setRootIsDecorated(false);
    list->setUniformRowHeights(true);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setContextMenuPolicy(Qt::CustomContextMenu);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    return list;
}

void fillEntries(QTreeWidget *list, const std::vector<DetailEntry> &entries)
{
    list->clear();
    for (const DetailEntry &e : entries) {
        auto *item = new QTreeWidgetItem(list);
        item->setText(0, e.text);
        item->setToolTip(0, e.text);
        item->setData(0, kTagRole, e.tag);
    }
    if (list->topLevelItemCount() > 0)
        list->setCurrentItem(list->topLevelItem(0));
}

QTreeWidgetItem *selectedEntry(QTreeWidget *list)
{
    QTreeWidgetItem *item = list->currentItem();
    if (!item && list->topLevelItemCount() > 0)
        item = list->topLevelItem(0);
    return item;
}

QString entryText(QTreeWidget *list)
{
    QTreeWidgetItem *item = selectedEntry(list);
    return item ? item->text(0).trimmed() : QString();
}

QString entryTag(QTreeWidget *list)
{
    QTreeWidgetItem *item = selectedEntry(list);
    return item ? item->data(0, kTagRole).toString().trimmed() : QString();
}

QString plainSelection(const QTextCursor &cursor)
{
    QString s = cursor.selectedText();
    s.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    s.replace(QChar::LineSeparator, QLatin1Char('\n'));
    return s;
}

QAction *addEntry(QMenu *menu, const char *name)
{
    auto *action = menu->addAction(QString());
    action->setObjectName(QLatin1String(name));
    return action;
}

} // namespace

DetailsPane::DetailsPane(QWidget *parent) : QGroupBox(parent)
{
    setObjectName(QStringLiteral("fraDetails"));

    m_fraDateofbirth = makeFrame("fraDateofbirth", this);
    m_txtDateofbirth = new QLineEdit(m_fraDateofbirth);
    m_txtDateofbirth->setObjectName(QStringLiteral("txtDateofbirth"));
    m_txtDateofbirth->setReadOnly(true);
    m_txtDateofbirth->setContextMenuPolicy(Qt::CustomContextMenu);
    m_txtDateofbirth->setFixedWidth(
        m_txtDateofbirth->fontMetrics().horizontalAdvance(QStringLiteral("0000/00/00")) + 24);
    m_lblDateFormat = new QLabel(QStringLiteral("(dd/mm/yyyy)"), m_fraDateofbirth);
    m_lblDateFormat->setObjectName(QStringLiteral("lblDateFormat"));
    m_lblAge = new QLabel(m_fraDateofbirth);
    m_lblAge->setObjectName(QStringLiteral("lblAge"));
    auto *dateRow = new QHBoxLayout(m_fraDateofbirth);
    dateRow->addWidget(m_txtDateofbirth);
    dateRow->addWidget(m_lblDateFormat);
    dateRow->addStretch(1);
    dateRow->addWidget(m_lblAge);

    m_fraAddress = makeFrame("fraAddress", this);
    m_txtAddress = new QPlainTextEdit(m_fraAddress);
    m_txtAddress->setObjectName(QStringLiteral("txtAddress"));
    m_txtAddress->setReadOnly(true);
    m_txtAddress->setContextMenuPolicy(Qt::CustomContextMenu);
    m_txtAddress->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    (new QVBoxLayout(m_fraAddress))->addWidget(m_txtAddress);

    m_fraNumber = makeFrame("fraNumber", this);
    m_lvwPhone = makeEntryList("lvwPhone", "Number", m_fraNumber);
    (new QVBoxLayout(m_fraNumber))->addWidget(m_lvwPhone);

    m_fraEmail = makeFrame("fraEmail", this);
    m_lvwEmail = makeEntryList("lvwEmail", "Email", m_fraEmail);
    (new QVBoxLayout(m_fraEmail))->addWidget(m_lvwEmail);

    m_fraNote = makeFrame("fraNote", this);
    m_rtbNote = new QTextEdit(m_fraNote);
    m_rtbNote->setObjectName(QStringLiteral("rtbNote"));
    m_rtbNote->setReadOnly(true);
    m_rtbNote->setAcceptRichText(false);
    m_rtbNote->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    m_rtbNote->setContextMenuPolicy(Qt::NoContextMenu);
    m_rtbNote->viewport()->installEventFilter(this);
    (new QVBoxLayout(m_fraNote))->addWidget(m_rtbNote);

    // The address box keeps the width of about a postal address; the numbers
    // take the rest of the row.
    m_fraAddress->setFixedWidth(240);
    auto *middle = new QHBoxLayout;
    middle->addWidget(m_fraAddress);
    middle->addWidget(m_fraNumber, 1);
    m_fraAddress->setFixedHeight(128);
    m_fraNumber->setFixedHeight(128);
    m_fraEmail->setFixedHeight(108);

    // The frame's caption is the shown person's name, in a heading font; the
    // frames inside keep the ordinary font.
    setFlat(true);
    QFont heading = font();
    heading.setBold(true);
    heading.setPointSizeF(heading.pointSizeF() * 1.25);
    setFont(heading);
    QFont plain = QApplication::font();
    plain.setBold(false);
    plain.setPointSizeF(plain.pointSizeF());
    for (QGroupBox *frame : {m_fraDateofbirth, m_fraAddress, m_fraNumber, m_fraEmail, m_fraNote})
        frame->setFont(plain);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, layout->contentsMargins().top(), 0, 0);
    layout->addWidget(m_fraDateofbirth);
    layout->addLayout(middle);
    layout->addWidget(m_fraEmail);
    layout->addWidget(m_fraNote, 1);

    for (QWidget *w : {static_cast<QWidget *>(m_txtDateofbirth), static_cast<QWidget *>(m_txtAddress),
                       static_cast<QWidget *>(m_lvwPhone), static_cast<QWidget *>(m_lvwEmail)})
        w->installEventFilter(this);

    buildPopups();

    connect(m_txtDateofbirth, &QWidget::customContextMenuRequested, this, [this](const QPoint &pos) {
        prepareDateofbirthPopup();
        showPopup(m_popupDateofbirth, m_txtDateofbirth, pos);
    });
    connect(m_txtAddress, &QWidget::customContextMenuRequested, this, [this](const QPoint &pos) {
        prepareAddressPopup();
        showPopup(m_popupAddress, m_txtAddress->viewport(), pos);
    });
    connect(m_lvwPhone, &QWidget::customContextMenuRequested, this, [this](const QPoint &pos) {
        if (m_lvwPhone->topLevelItemCount() == 0)
            return;
        preparePhonePopup();
        showPopup(m_popupPhone, m_lvwPhone->viewport(), pos);
    });
    connect(m_lvwEmail, &QWidget::customContextMenuRequested, this, [this](const QPoint &pos) {
        if (m_lvwEmail->topLevelItemCount() == 0)
            return;
        prepareEmailPopup();
        showPopup(m_popupEmail, m_lvwEmail->viewport(), pos);
    });
    connect(m_lvwEmail, &QTreeWidget::itemDoubleClicked, this, [this] { sendEmail(); });

    clearDetails();
    loadLanguage();
}

void DetailsPane::buildPopups()
{
    m_popupDateofbirth = new QMenu(this);
    m_popupDateofbirth->setObjectName(QStringLiteral("mnuPopupDateofbirth"));
    m_dateofbirthCopy = addEntry(m_popupDateofbirth, "mnuPopupDateofbirthCopy");
    connect(m_dateofbirthCopy, &QAction::triggered, this, &DetailsPane::copyDateOfBirth);

    m_popupAddress = new QMenu(this);
    m_popupAddress->setObjectName(QStringLiteral("mnuPopupAddress"));
    m_addressCopy = addEntry(m_popupAddress, "mnuPopupAddressCopy");
    connect(m_addressCopy, &QAction::triggered, this, &DetailsPane::copyAddress);

    m_popupPhone = new QMenu(this);
    m_popupPhone->setObjectName(QStringLiteral("mnuPopupPhone"));
    m_phoneCopy = addEntry(m_popupPhone, "mnuPopupPhoneCopy");
    m_phoneCopy2 = addEntry(m_popupPhone, "mnuPopupPhoneCopy2");
    connect(m_phoneCopy, &QAction::triggered, this, &DetailsPane::copyPhone);
    connect(m_phoneCopy2, &QAction::triggered, this, &DetailsPane::copyPhoneWithDescription);

    m_popupEmail = new QMenu(this);
    m_popupEmail->setObjectName(QStringLiteral("mnuPopupEmail"));
    m_emailCopy = addEntry(m_popupEmail, "mnuPopupEmailCopy");
    m_emailCopy2 = addEntry(m_popupEmail, "mnuPopupEmailCopy2");
    m_popupEmail->addSeparator();
    m_emailSend = addEntry(m_popupEmail, "mnuPopupEmailSend");
    m_emailWebsite = addEntry(m_popupEmail, "mnuPopupEmailWebsite");
    connect(m_emailCopy, &QAction::triggered, this, &DetailsPane::copyEmail);
    connect(m_emailCopy2, &QAction::triggered, this, &DetailsPane::copyEmailWithDescription);
    connect(m_emailSend, &QAction::triggered, this, &DetailsPane::sendEmail);
    connect(m_emailWebsite, &QAction::triggered, this, &DetailsPane::openEmailProfile);

    m_popupNote = new QMenu(this);
    m_popupNote->setObjectName(QStringLiteral("mnuPopupNote"));
    m_noteCopy = addEntry(m_popupNote, "mnuPopupNoteCopy");
    connect(m_noteCopy, &QAction::triggered, this, &DetailsPane::copyNote);
}

void DetailsPane::loadLanguage()
{
    // The frame carries the shown person's name; the word Details only while
    // nobody is shown.
    if (!m_shown)
        setTitle(T("Details"));
    m_fraDateofbirth->setTitle(T("Date of birth"));
    m_fraAddress->setTitle(T("Address"));
    m_fraNumber->setTitle(T("Numbers"));
    m_fraEmail->setTitle(T("E-mail"));
    m_fraNote->setTitle(T("Note"));
    if (!m_lblAge->isHidden()) {
        const QString old = m_lblAge->text();
        const qsizetype blank = old.indexOf(QLatin1Char(' '));
        m_lblAge->setText(T("Age") + QLatin1Char(':') + (blank >= 0 ? old.mid(blank) : QString()));
    }
    const QString copy = T("Copy");
    m_dateofbirthCopy->setText(copy);
    m_addressCopy->setText(copy);
    m_noteCopy->setText(copy);
    m_phoneCopy->setText(copy + QStringLiteral(": ") + T("Number"));
    m_phoneCopy2->setText(copy + QStringLiteral(": ") + T("Number") + QStringLiteral(" + ") +
                          T("Description"));
    m_emailCopy->setText(copy + QStringLiteral(": ") + T("E-mail"));
    m_emailCopy2->setText(copy + QStringLiteral(": ") + T("E-mail") + QStringLiteral(" + ") +
                          T("Description"));
    m_emailSend->setText(T("Send e-mail"));
    m_emailWebsite->setText(T("Website"));
}

void DetailsPane::setDateFormatLabel(const QString &label)
{
    m_lblDateFormat->setText(label);
}

void DetailsPane::setFontPointSize(qreal points)
{
    for (QWidget *w : {static_cast<QWidget *>(m_txtDateofbirth), static_cast<QWidget *>(m_lblAge),
                       static_cast<QWidget *>(m_txtAddress), static_cast<QWidget *>(m_lvwPhone),
                       static_cast<QWidget *>(m_lvwEmail), static_cast<QWidget *>(m_rtbNote)}) {
        QFont f = w->font();
        f.setPointSizeF(points);
        w->setFont(f);
    }
}

void DetailsPane::clearDetails()
{
    m_txtDateofbirth->clear();
    m_txtAddress->clear();
    m_lvwPhone->clear();
    m_lvwEmail->clear();
    m_rtbNote->clear();
    m_lblDateFormat->hide();
    m_lblAge->hide();
}

void DetailsPane::showDetails(const PersonDetails &d)
{
    clearDetails();
    m_shown = true;
    setTitle(d.caption);
    if (d.hasDate) {
        m_txtDateofbirth->setText(d.dateText);
        m_lblDateFormat->show();
        m_lblAge->setText(T("Age") + QStringLiteral(": ") + QString::number(d.age));
        m_lblAge->show();
    }
    if (!d.address.isEmpty())
        m_txtAddress->setPlainText(d.address);
    fillEntries(m_lvwPhone, d.phones);
    fillEntries(m_lvwEmail, d.emails);
    if (!d.note.isEmpty()) {
        m_rtbNote->setPlainText(d.note);
        markLinks();
    }
}

void DetailsPane::setLinkDetection(bool on)
{
    if (m_linkDetection == on)
        return;
    m_linkDetection = on;
    const QString note = m_rtbNote->toPlainText();
    m_rtbNote->setPlainText(note);
    markLinks();
}

void DetailsPane::markLinks()
{
    if (!m_linkDetection)
        return;
    const QString text = m_rtbNote->toPlainText();
    QTextCharFormat link;
    link.setForeground(palette().color(QPalette::Link));
    link.setFontUnderline(true);
    QTextCursor cursor(m_rtbNote->document());
    for (const NoteLinks::Range &r : NoteLinks::linkRanges(text)) {
        cursor.setPosition(r.start);
        cursor.setPosition(r.start + r.length, QTextCursor::KeepAnchor);
        cursor.mergeCharFormat(link);
    }
}

void DetailsPane::noteReleased(Qt::MouseButton button, const QPoint &pos)
{
    const QString text = m_rtbNote->toPlainText();
    if (button == Qt::RightButton) {
        if (!text.isEmpty())
            showPopup(m_popupNote, m_rtbNote->viewport(), pos);
        return;
    }
    if (button != Qt::LeftButton || !m_linkDetection || text.isEmpty())
        return;
    const QString word = wordAtPosition(text, m_rtbNote->textCursor().position());
    if (isLinkWord(word))
        openLink(word);
}

void DetailsPane::showPopup(QMenu *menu, QWidget *over, const QPoint &pos)
{
    menu->popup(over->mapToGlobal(pos));
}

void DetailsPane::prepareDateofbirthPopup()
{
    m_dateofbirthCopy->setEnabled(!m_txtDateofbirth->text().isEmpty());
    m_txtDateofbirth->setFocus();
}

void DetailsPane::prepareAddressPopup()
{
    m_addressCopy->setEnabled(!m_txtAddress->toPlainText().isEmpty());
    m_txtAddress->setFocus();
}

void DetailsPane::preparePhonePopup()
{
    QTreeWidgetItem *item = selectedEntry(m_lvwPhone);
    m_phoneCopy->setEnabled(item != nullptr);
    m_phoneCopy2->setEnabled(item && rowHasDescription(entryText(m_lvwPhone), entryTag(m_lvwPhone)));
}

void DetailsPane::prepareEmailPopup()
{
    QTreeWidgetItem *item = selectedEntry(m_lvwEmail);
    const QString text = entryText(m_lvwEmail);
    m_emailCopy->setEnabled(item != nullptr);
    m_emailSend->setEnabled(item != nullptr);
    m_emailCopy2->setEnabled(item && rowHasDescription(text, entryTag(m_lvwEmail)));
    m_emailWebsite->setEnabled(item && mentionsProfileProvider(text));
}

void DetailsPane::copyDateOfBirth()
{
    if (m_txtDateofbirth->text().isEmpty())
        return;
    copyPlainText(boxCopyText(m_txtDateofbirth->text(), m_txtDateofbirth->selectedText()));
}

void DetailsPane::copyAddress()
{
    const QString text = m_txtAddress->toPlainText();
    if (text.isEmpty())
        return;
    copyPlainText(boxCopyText(text, plainSelection(m_txtAddress->textCursor())));
}

void DetailsPane::copyNote()
{
    const QString text = m_rtbNote->toPlainText();
    if (text.isEmpty())
        return;
    copyPlainText(boxCopyText(text, plainSelection(m_rtbNote->textCursor())));
}

void DetailsPane::copyPhone()
{
    if (selectedEntry(m_lvwPhone))
        copyPlainText(entryTag(m_lvwPhone));
}

void DetailsPane::copyPhoneWithDescription()
{
    if (selectedEntry(m_lvwPhone))
        copyPlainText(entryText(m_lvwPhone));
}

void DetailsPane::copyEmail()
{
    if (selectedEntry(m_lvwEmail))
        copyPlainText(entryTag(m_lvwEmail));
}

void DetailsPane::copyEmailWithDescription()
{
    if (selectedEntry(m_lvwEmail))
        copyPlainText(entryText(m_lvwEmail));
}

void DetailsPane::sendEmail()
{
    if (selectedEntry(m_lvwEmail))
        openLink(mailtoLink(entryTag(m_lvwEmail)));
}

void DetailsPane::openEmailProfile()
{
    const QString text = entryText(m_lvwEmail);
    if (selectedEntry(m_lvwEmail) && mentionsProfileProvider(text))
        openLink(providerProfileLink(text, entryTag(m_lvwEmail)));
}

bool DetailsPane::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        const bool copy = key->matches(QKeySequence::Copy);
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        if (copy && watched == m_txtDateofbirth) {
            copyDateOfBirth();
            return true;
        }
        if (copy && watched == m_txtAddress) {
            copyAddress();
            return true;
        }
        if (copy && watched == m_lvwPhone) {
            copyPhone();
            return true;
        }
        if (watched == m_lvwEmail && (copy || enter)) {
            if (copy)
                copyEmail();
            else
                sendEmail();
            return true;
        }
    } else if (event->type() == QEvent::MouseButtonRelease && watched == m_rtbNote->viewport()) {
        // The caret was placed when the button went down.
        auto *mouse = static_cast<QMouseEvent *>(event);
        noteReleased(mouse->button(), mouse->position().toPoint());
    }
    return QGroupBox::eventFilter(watched, event);
}

} // namespace velmora
