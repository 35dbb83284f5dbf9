#include "CliRunner.h"

#include <QProcess>
#include <QProcessEnvironment>

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
  if (!process.waitForFinished(60000)) return result;
  result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
  result.out = QString::fromUtf8(process.readAllStandardOutput());
  result.err = QString::fromUtf8(process.readAllStandardError());
  return result;
}
