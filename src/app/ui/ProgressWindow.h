#pragma once

#include "app/Progress.h"

#include <QElapsedTimer>
#include <QWidget>

class QProgressBar;

namespace velmora {

// The small progress window of long jobs (frmProgress): one bar, no caption
// text, shown modeless over its owner from construction to destruction, with
// the busy pointer over the whole program for as long as it lives. The job
// itself runs in the core and reports through callback():
//
//     ProgressWindow progress(this);
//     generator.generateCalendar(progress.callback());
//
class ProgressWindow : public QWidget {
    Q_OBJECT
public:
    explicit ProgressWindow(QWidget *owner = nullptr);
    ~ProgressWindow() override;
    ProgressWindow(const ProgressWindow &) = delete;
    ProgressWindow &operator=(const ProgressWindow &) = delete;

    // Sets the bar to done of total steps. Between repaints at least a
    // fraction of a second passes, so a fast job is not slowed by painting.
    void setProgress(int done, int total);
    int value() const;
    int maximum() const;
    // A callback for the core that moves this window's bar. It must not be
    // called after the window is gone.
    ProgressCallback callback();

private:
    void paintNow();

    QProgressBar *m_pbProgress;
    QElapsedTimer m_sincePaint;
};

} // namespace velmora
