#include "TestEnv.h"

#include "app/Seams.h"
#include "app/ui/WidgetPrompts.h"

#include <QtTest>

using namespace velmora;

class TestPrompts : public QObject {
    Q_OBJECT
private slots:
    void queuedAnswersComeBackInOrder()
    {
        test::TestEnv env;
        env.prompts.queueAnswer(Answer::Yes);
        env.prompts.queueText(QStringLiteral("/tmp/a.mdb"));
        QCOMPARE(prompts().message(QStringLiteral("Sure?"), QStringLiteral("Q"), Icon::Question,
                                   Buttons::YesNo),
                 Answer::Yes);
        QCOMPARE(prompts().openFile({}), QStringLiteral("/tmp/a.mdb"));
        // Nothing queued: a question is answered No, a dialog is cancelled.
        QCOMPARE(prompts().message(QStringLiteral("Again?"), QString(), Icon::Question, Buttons::YesNo),
                 Answer::No);
        QCOMPARE(prompts().askPassword(QStringLiteral("/x.mdb")), QString());
        QCOMPARE(env.prompts.messageCount(), 2);
        QCOMPARE(env.prompts.lastMessage(), QStringLiteral("Again?"));
    }

    void filterConversion_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("expected");
        QTest::newRow("labelled") << "Velmora database (*.mdb)|*.mdb" << "Velmora database (*.mdb)";
        QTest::newRow("unlabelled") << "Text|*.txt|All|*.*" << "Text (*.txt);;All (*.*)";
        QTest::newRow("several patterns") << "Pages|*.htm;*.html" << "Pages (*.htm *.html)";
        QTest::newRow("empty") << "" << "";
    }
    void filterConversion()
    {
        QFETCH(QString, filter);
        QFETCH(QString, expected);
        QCOMPARE(qtFilter(filter), expected);
    }
};

QTEST_MAIN(TestPrompts)
#include "tst_prompts.moc"
