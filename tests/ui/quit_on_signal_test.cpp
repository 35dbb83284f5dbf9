#include <gtest/gtest.h>
#include <signal.h>

#include <QProcess>
#include <QProcessEnvironment>
#include <QThread>

#include "PelluxFileObject.h"
#include "RecordStore.h"
#include "TestEnvironment.h"

namespace {

// SIGTERM and SIGINT end the program the normal way, with the saving of a normal quit.
TEST(QuitOnSignalTest, TerminationSignalsQuitWithSaving) {
  for (int signal : {SIGTERM, SIGINT}) {
    const QString home = TestEnvironment::freshFolder();
    RecordStore store(home + QStringLiteral("/data/TARVO/Quillory"));
    RecordRef card = PelluxFileObject::pelluxFileObject();
    PelluxFileObject::updateRecordStatus(*card);
    ASSERT_TRUE(store.saveRecords({card}));
    const qint64 before = TestEnvironment::inodeOf(store.recordsFilePath());

    QProcess quillory;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), home);
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/config"));
    environment.insert(QStringLiteral("XDG_DATA_HOME"), home + QStringLiteral("/data"));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    quillory.setProcessEnvironment(environment);
    quillory.start(QStringLiteral(QUILLORY_APP), {});
    ASSERT_TRUE(quillory.waitForStarted());
    // The start-up ends in the log-in alert, waiting for the user.
    QThread::msleep(1500);
    ::kill(pid_t(quillory.processId()), signal);
    ASSERT_TRUE(quillory.waitForFinished(20000));
    EXPECT_EQ(quillory.exitStatus(), QProcess::NormalExit) << signal;
    EXPECT_EQ(quillory.exitCode(), 0) << signal;
    EXPECT_NE(TestEnvironment::inodeOf(store.recordsFilePath()), before) << "saved on the way out, signal " << signal;
  }
}

}  // namespace
