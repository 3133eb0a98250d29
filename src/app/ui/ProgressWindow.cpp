#include "app/ui/ProgressWindow.h"

#include <QApplication>
#include <QProgressBar>
#include <QVBoxLayout>

namespace velmora {

namespace {
// Repaints at most this often while a job reports (milliseconds).
constexpr qint64 kPaintInterval = 100;
} // namespace

ProgressWindow::ProgressWindow(QWidget *owner)
    : QWidget(owner, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      m_pbProgress(new QProgressBar(this))
{
    setObjectName(QStringLiteral("frmProgress"));
    m_pbProgress->setObjectName(QStringLiteral("pbProgress"));
    m_pbProgress->setRange(0, 1);
    m_pbProgress->setValue(0);
    m_pbProgress->setTextVisible(false);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_pbProgress);
    setWindowTitle(QString());
    setFixedSize(QSize(320, m_pbProgress->sizeHint().height() + 2 * layout->contentsMargins().top()));
    if (owner) {
        const QWidget *top = owner->window();
        move(top->frameGeometry().center() - rect().center());
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    show();
    paintNow();
}

ProgressWindow::~ProgressWindow()
{
    QApplication::restoreOverrideCursor();
}

void ProgressWindow::setProgress(int done, int total)
{
    total = qMax(total, 1);
    if (m_pbProgress->maximum() != total)
        m_pbProgress->setMaximum(total);
    m_pbProgress->setValue(qBound(0, done, total));
    if (!m_sincePaint.isValid() || m_sincePaint.elapsed() >= kPaintInterval || done >= total)
        paintNow();
}

int ProgressWindow::value() const
{
    return m_pbProgress->value();
}

int ProgressWindow::maximum() const
{
    return m_pbProgress->maximum();
}

ProgressCallback ProgressWindow::callback()
{
    return [this](int done, int total) { setProgress(done, total); };
}

void ProgressWindow::paintNow()
{
    // The job runs on the window thread without yielding; only the paint
    // and window-system events are let through, never the user's input.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    m_sincePaint.restart();
}

} // namespace velmora
