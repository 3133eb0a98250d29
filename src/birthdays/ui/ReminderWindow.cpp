#include "birthdays/ui/ReminderWindow.h"

#include "app/Launcher.h"
#include "app/Seams.h"
#include "app/Sound.h"
#include "app/ui/Icons.h"
#include "settings/DisplayOptions.h"
#include "settings/Settings.h"
#include "settings/Translate.h"
#include "store/Database.h"

#include <QAction>
#include <QCloseEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace velmora {

namespace {
enum Column { DateColumn, PersonColumn, AgeColumn };
constexpr int kKeyRole = Qt::UserRole;
} // namespace

ReminderWindow::ReminderWindow(const std::vector<ReminderRow> &rows, QWidget *parent)
    : QWidget(parent, Qt::Window), m_picLogo(new QLabel(this)), m_fraReminder(new QGroupBox(this)),
      m_lvwReminder(new QTreeWidget(m_fraReminder)), m_cmdOK(new QPushButton(this)),
      m_cmdDetails(new QPushButton(this)), m_mnuPopupReminder(new QMenu(this)),
      m_mnuPopupDetails(new QAction(this))
{
    setObjectName(QStringLiteral("frmReminder"));
    const QIcon icon = programIcon(QStringLiteral("velmora"));
    setWindowIcon(icon);
    m_picLogo->setObjectName(QStringLiteral("picLogo"));
    m_fraReminder->setObjectName(QStringLiteral("fraReminder"));
    m_lvwReminder->setObjectName(QStringLiteral("lvwReminder"));
    m_cmdOK->setObjectName(QStringLiteral("cmdOK"));
    m_cmdDetails->setObjectName(QStringLiteral("cmdDetails"));
    m_mnuPopupReminder->setObjectName(QStringLiteral("mnuPopupReminder"));
    m_mnuPopupDetails->setObjectName(QStringLiteral("mnuPopupDetails"));
    m_mnuPopupReminder->addAction(m_mnuPopupDetails);

    m_picLogo->setPixmap(icon.pixmap(48, 48));
    m_picLogo->setAlignment(Qt::AlignTop | Qt::AlignHCenter);

    m_lvwReminder->setColumnCount(3);
    m_lvwReminder->setRootIsDecorated(false);
    m_lvwReminder->setItemsExpandable(false);
    m_lvwReminder->setUniformRowHeights(true);
    m_lvwReminder->setAllColumnsShowFocus(true);
    m_lvwReminder->setSelectionMode(QAbstractItemView::SingleSelection);
    m_lvwReminder->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_lvwReminder->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_lvwReminder->setContextMenuPolicy(Qt::CustomContextMenu);
    m_lvwReminder->header()->setSectionsMovable(false);
    m_lvwReminder->installEventFilter(this);
    QFont listFont = m_lvwReminder->font();
    listFont.setPointSizeF(fontPoints(fontSizeSetting()));
    m_lvwReminder->setFont(listFont);

    auto *frameLayout = new QVBoxLayout(m_fraReminder);
    frameLayout->addWidget(m_lvwReminder);

    m_cmdOK->setDefault(true);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_cmdDetails);
    buttons->addWidget(m_cmdOK);

    auto *right = new QVBoxLayout;
    right->addWidget(m_fraReminder, 1);
    right->addLayout(buttons);

    auto *main = new QHBoxLayout(this);
    main->addWidget(m_picLogo, 0, Qt::AlignTop);
    main->addLayout(right, 1);

    connect(m_cmdOK, &QPushButton::clicked, this, &QWidget::close);
    connect(m_cmdDetails, &QPushButton::clicked, this, &ReminderWindow::openDetails);
    connect(m_mnuPopupDetails, &QAction::triggered, this, &ReminderWindow::openDetails);
    connect(m_lvwReminder, &QTreeWidget::itemDoubleClicked, this, &ReminderWindow::openDetails);
    connect(m_lvwReminder, &QTreeWidget::itemSelectionChanged, this, &ReminderWindow::updateDetails);
    connect(m_lvwReminder, &QWidget::customContextMenuRequested, this, [this](const QPoint &pos) {
        m_mnuPopupReminder->popup(m_lvwReminder->viewport()->mapToGlobal(pos));
    });

    loadLanguage();
    fill(rows);
    updateDetails();
    resize(sizeHint().expandedTo(QSize(440, 280)));
}

void ReminderWindow::loadLanguage()
{
    setWindowTitle(T("Birthday reminder"));
    m_cmdOK->setText(T("OK"));
    m_cmdDetails->setText(T("Details"));
    m_mnuPopupDetails->setText(T("Details"));
    m_lvwReminder->setHeaderLabels({T("Date"), T("Person"), T("Age")});
}

void ReminderWindow::fill(const std::vector<ReminderRow> &rows)
{
    m_lvwReminder->clear();
    const QColor red(255, 0, 0);
    QList<QTreeWidgetItem *> items;
    items.reserve(qsizetype(rows.size()));
    for (const ReminderRow &row : rows) {
        auto *item = new QTreeWidgetItem({row.dateText, row.person, QString::number(row.age)});
        item->setData(DateColumn, kKeyRole, row.key);
        if (row.today) {
            for (int c = DateColumn; c <= AgeColumn; ++c)
                item->setForeground(c, red);
        }
        items.append(item);
    }
    m_lvwReminder->addTopLevelItems(items);
    int width = 0;
    for (int c = DateColumn; c <= AgeColumn; ++c) {
        m_lvwReminder->resizeColumnToContents(c);
        m_lvwReminder->setColumnWidth(c, m_lvwReminder->columnWidth(c) + 12);
        width += m_lvwReminder->columnWidth(c);
    }
    // Wide enough for every column without scrolling sideways, within reason.
    width += 2 * m_lvwReminder->frameWidth() + m_lvwReminder->verticalScrollBar()->sizeHint().width();
    m_lvwReminder->setMinimumWidth(qMin(width, 720));
    // No row is selected at first, so Details waits for a choice.
    m_lvwReminder->clearSelection();
    m_lvwReminder->setCurrentItem(nullptr);
}

void ReminderWindow::updateDetails()
{
    const bool chosen = !m_lvwReminder->selectedItems().isEmpty();
    m_cmdDetails->setEnabled(chosen);
    m_mnuPopupDetails->setEnabled(chosen);
}

void ReminderWindow::openDetails()
{
    const QList<QTreeWidgetItem *> selected = m_lvwReminder->selectedItems();
    if (selected.isEmpty())
        return;
    const QString key = selected.first()->data(DateColumn, kKeyRole).toString();
    // The new copy receives "/Person  12" as one argument and shows that
    // person in its main window; this window stays open.
    launcher().startSelf({QLatin1Char('/') + key});
}

bool ReminderWindow::event(QEvent *event)
{
    if (event->type() == QEvent::WindowActivate && !m_soundPlayed) {
        m_soundPlayed = true;
        if (getSetting(QStringLiteral("Reminder Sound")) == QLatin1String("1"))
            playSound(getSetting(QStringLiteral("Reminder Sound Path")));
    }
    return QWidget::event(event);
}

bool ReminderWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_lvwReminder && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            openDetails();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void ReminderWindow::closeEvent(QCloseEvent *event)
{
    // The reminder wrote nothing: no compaction, which would only rewrite
    // the file under the main window of another copy.
    Database::instance().closeDatabase(false);
    QWidget::closeEvent(event);
}

} // namespace velmora
