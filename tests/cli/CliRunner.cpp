#include "CliRunner.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QProcess>
#include <QProcessEnvironment>

#include "PreferenceStore.h"
#include "TestEnvironment.h"

CliRunner::CliRunner() : home_(TestEnvironment::freshFolder()) {}

CliRun CliRunner::run(const QStringList& arguments, const QByteArray& input) const {
  QProcess process;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert(QStringLiteral("HOME"), home_);
  environment.insert(QStringLiteral("XDG_CONFIG_HOME"), configHome());
  environment.insert(QStringLiteral("XDG_DATA_HOME"), dataHome());
  process.setProcessEnvironment(environment);
  process.start(QStringLiteral(QUILLORY_CLI), arguments);
  process.write(input);
  process.closeWriteChannel();
  CliRun result;
  // The event loop keeps running, so servers living in the test (on this thread) can answer.
  QDeadlineTimer deadline(60000);
  while (process.state() != QProcess::NotRunning && !deadline.hasExpired()) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    process.waitForFinished(5);
  }
  if (process.state() != QProcess::NotRunning) return result;
  result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
  result.out = QString::fromUtf8(process.readAllStandardOutput());
  result.err = QString::fromUtf8(process.readAllStandardError());
  return result;
}

void CliRunner::configure(const QString& key, const QVariant& value) const {
  PreferenceStore(configHome() + QStringLiteral("/TARVO/Quillory.plist")).setValue(key, value);
}
