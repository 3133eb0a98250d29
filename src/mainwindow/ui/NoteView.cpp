#include "mainwindow/ui/NoteView.h"

#include "mainwindow/DetailRules.h"
#include "settings/Translate.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QTextBlock>

namespace velmora {

NoteView::NoteView(QWidget *parent) : QPlainTextEdit(parent)
{
    setObjectName(QStringLiteral("rtbNote"));
    setReadOnly(true);
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    setTabChangesFocus(true);
    viewport()->setMouseTracking(true);

    m_menu = new QMenu(this);
    m_menu->setObjectName(QStringLiteral("mnuPopupNote"));
    m_copy = m_menu->addAction(QString());
    m_copy->setObjectName(QStringLiteral("mnuPopupNoteCopy"));
    connect(m_copy, &QAction::triggered, this, &NoteView::copyNote);
    loadLanguage();
}

void NoteView::loadLanguage()
{
    m_copy->setText(T("Copy"));
}

void NoteView::setNote(const QString &note)
{
    // One line feed per line break, so that positions in the shown text are
    // positions in m_text.
    m_text = note;
    m_text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    m_text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    m_text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    m_text.replace(QChar::LineSeparator, QLatin1Char('\n'));
    setPlainText(m_text);
    m_links = NoteLinks::linkRanges(m_text);
    highlight();
}

void NoteView::setLinkDetection(bool on)
{
    m_linkDetection = on;
    highlight();
}

void NoteView::highlight()
{
    QList<QTextEdit::ExtraSelection> selections;
    if (m_linkDetection) {
        QTextCharFormat format;
        format.setForeground(palette().brush(QPalette::Link));
        format.setFontUnderline(true);
        for (const NoteLinks::Range &r : m_links) {
            QTextEdit::ExtraSelection s;
            s.cursor = QTextCursor(document());
            s.cursor.setPosition(r.start);
            s.cursor.setPosition(r.start + r.length, QTextCursor::KeepAnchor);
            s.format = format;
            selections.append(s);
        }
    }
    setExtraSelections(selections);
}

QString NoteView::copyText() const
{
    QString selected = textCursor().selectedText();
    selected.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    return boxCopyText(m_text, selected);
}

void NoteView::copyNote()
{
    QClipboard *clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setText(copyText());
}

bool NoteView::openLinkAtCaret()
{
    const QString word = NoteLinks::wordAtPosition(m_text, textCursor().position());
    if (!NoteLinks::isLinkWord(word))
        return false;
    NoteLinks::openLink(word);
    return true;
}

bool NoteView::onLink(int position) const
{
    for (const NoteLinks::Range &r : m_links) {
        if (position >= r.start && position < r.start + r.length)
            return true;
    }
    return false;
}

void NoteView::showMenu(const QPoint &globalPos)
{
    if (m_text.isEmpty())
        return;
    m_copy->setEnabled(true);
    m_menu->popup(globalPos);
}

void NoteView::mouseReleaseEvent(QMouseEvent *event)
{
    QPlainTextEdit::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton)
        openLinkAtCaret();
    else if (event->button() == Qt::RightButton)
        showMenu(event->globalPosition().toPoint());
}

void NoteView::mouseMoveEvent(QMouseEvent *event)
{
    QPlainTextEdit::mouseMoveEvent(event);
    const bool link = m_linkDetection && event->buttons() == Qt::NoButton &&
                      onLink(cursorForPosition(event->position().toPoint()).position());
    viewport()->setCursor(link ? Qt::PointingHandCursor : Qt::IBeamCursor);
}

void NoteView::contextMenuEvent(QContextMenuEvent *event)
{
    // The mouse opens the menu when the right button is released; the
    // keyboard's menu key opens it at the caret.
    if (event->reason() == QContextMenuEvent::Keyboard)
        showMenu(viewport()->mapToGlobal(cursorRect().bottomLeft()));
    event->accept();
}

} // namespace velmora
