#pragma once

#include <QString>
#include <optional>

// Where the service password is kept: the desktop's secret store (the Secret Service, through
// QtKeychain), one item per (service name, account name). Calls run on the main thread.
class SecretStore {
 public:
  enum class Status { Ok, NotFound, Failed };
  struct Lookup {
    Status status;
    QString secret;
    QString error;  // why it failed
  };

  virtual ~SecretStore() = default;
  virtual Lookup find(const QString& service, const QString& account) = 0;
  // Adds the item, or replaces the secret of an existing one. Gives the reason on failure.
  virtual std::optional<QString> store(const QString& service, const QString& account, const QString& secret) = 0;
  virtual std::optional<QString> remove(const QString& service, const QString& account) = 0;

  // The desktop's Secret Service.
  static SecretStore& desktop();
};
