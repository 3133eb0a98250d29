#pragma once

#include <QObject>

class QSocketNotifier;

namespace velmora {

// Turns SIGTERM, SIGINT and SIGHUP into a Qt signal on the event loop, so
// that a program asked to stop closes its window the ordinary way (the book
// is closed and compacted, the window state saved). The signal handler only
// writes a byte to a pipe; everything else runs on the main thread.
class TerminationSignals : public QObject {
    Q_OBJECT
public:
    explicit TerminationSignals(QObject *parent = nullptr);
    ~TerminationSignals() override;
    bool isInstalled() const { return m_notifier != nullptr; }

signals:
    void terminationRequested(int signalNumber);

private:
    void readSignal();
    QSocketNotifier *m_notifier = nullptr;
};

} // namespace velmora
