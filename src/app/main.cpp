#include "app/Seams.h"
#include "app/ui/WidgetPrompts.h"

#include <QApplication>
#include <QIcon>
#include <QMainWindow>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Velmora"));
    QApplication::setOrganizationName(QStringLiteral("Velmora"));
    QApplication::setApplicationVersion(QStringLiteral(VELMORA_VERSION));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/velmora.svg")));

    static velmora::WidgetPrompts prompts;
    velmora::seams().prompts = &prompts;
    velmora::installDefaultSeams();

    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Velmora " VELMORA_VERSION));
    window.resize(800, 560);
    window.show();
    return app.exec();
}
