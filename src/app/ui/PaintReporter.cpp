#include "app/ui/PaintReporter.h"

#include <QEvent>
#include <QObject>
#include <QWidget>

#include <cstdio>

namespace velmora {

namespace {
class PaintWatch : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint) {
            // Report after this paint has been done.
            watched->removeEventFilter(this);
            QMetaObject::invokeMethod(
                this,
                [this] {
                    std::fputs("shown\n", stdout);
                    std::fflush(stdout);
                    deleteLater();
                },
                Qt::QueuedConnection);
        }
        return false;
    }
};
} // namespace

void reportWhenPainted(QWidget *window)
{
    window->installEventFilter(new PaintWatch(window));
}

} // namespace velmora
