#pragma once

#include "mainwindow/NoteLinks.h"

#include <QPlainTextEdit>

class QAction;
class QMenu;

namespace velmora {

// The read-only note of the details pane (rtbNote). Link words in the note
// are highlighted while link detection is on; a left click opens the word at
// the caret when it is a link word; a right click opens the note's pop-up
// menu (mnuPopupNote) with its Copy entry.
class NoteView : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit NoteView(QWidget *parent = nullptr);

    void setNote(const QString &note);
    // The note as shown (line breaks as line feeds).
    QString note() const { return m_text; }

    // Highlighting of link words (switched on when the main window loads and
    // off when it closes).
    void setLinkDetection(bool on);
    bool linkDetection() const { return m_linkDetection; }

    QMenu *popupMenu() const { return m_menu; }
    QAction *copyAction() const { return m_copy; }
    // What Copy puts on the clipboard: the selected text, or the whole note.
    QString copyText() const;
    void copyNote();
    // Opens the link word at the caret, if there is one. True when one was opened.
    bool openLinkAtCaret();

    void loadLanguage();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    void highlight();
    void showMenu(const QPoint &globalPos);
    bool onLink(int position) const;

    QString m_text;
    QList<NoteLinks::Range> m_links;
    bool m_linkDetection = true;
    QMenu *m_menu = nullptr;
    QAction *m_copy = nullptr;
};

} // namespace velmora
