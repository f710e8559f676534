#include <chrono>

#include <QElapsedTimer>
#include <QProcess>
#include <QTest>

#include "exit_routines.h"

class ExitTest : public QObject {
    Q_OBJECT
private slots:
    void exitRoutinesRunInRegistrationOrderOnce();
    void okEndsTheProcessWithZero_data();
    void okEndsTheProcessWithZero();
};

namespace {
QString calls;
void first() {
    calls += QLatin1Char('1');
}
void second() {
    calls += QLatin1Char('2');
}
} // namespace

void ExitTest::exitRoutinesRunInRegistrationOrderOnce() {
    calls.clear();
    registerExitRoutine(second);
    registerExitRoutine(first);
    registerExitRoutine(second);
    runExitRoutines();
    clearExitRoutines();
    QCOMPARE(calls, QStringLiteral("21"));
}

void ExitTest::okEndsTheProcessWithZero_data() {
    QTest::addColumn<QString>("mode");
    QTest::newRow("no run") << "idle";
    QTest::newRow("run blocked on a server that never answers") << "blocked";
}

void ExitTest::okEndsTheProcessWithZero() {
    QFETCH(QString, mode);
    QProcess probe;
    // A sanitizer report in the child goes to its stderr: shown with this test's output.
    probe.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    probe.start(QStringLiteral(EXIT_PROBE_PATH), {mode});
    QVERIFY(probe.waitForStarted());
    QVERIFY2(probe.waitForReadyRead(20000), "the exit question never came");
    QVERIFY(probe.readAllStandardOutput().contains("choosing OK"));
    QElapsedTimer sinceOk;
    sinceOk.start();
    // A hang would run into the generous bound; the figure itself is reported, not asserted.
    QVERIFY(probe.waitForFinished(10000));
    qInfo("process ended %lld ms after OK", static_cast<long long>(sinceOk.elapsed()));
    QCOMPARE(probe.exitStatus(), QProcess::NormalExit);
    QCOMPARE(probe.exitCode(), 0);
}

QTEST_MAIN(ExitTest)
#include "exit_test.moc"
