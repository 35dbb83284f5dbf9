#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>

// Runs quillory-cli as a user would, with a private home and XDG folders of its own.
struct CliRun {
  int exitCode = -1;
  QString out, err;
};

class CliRunner {
 public:
  CliRunner();
  CliRun run(const QStringList& arguments, const QByteArray& input = {}) const;
  // Settings for the runs, written before the first.
  void configure(const QString& key, const QVariant& value) const;
  QString configHome() const { return home_ + QStringLiteral("/config"); }
  QString dataHome() const { return home_ + QStringLiteral("/data"); }

 private:
  QString home_;
};
