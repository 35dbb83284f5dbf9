#pragma once

#include <gtest/gtest.h>

#include <QProcess>
#include <memory>

// A private session bus with a real Secret Service (gnome-keyring, unlocked) for the test
// program, so the account tests store and find passwords the way the desktop does, without
// touching the user's own keyring.
class SecretServiceEnvironment : public testing::Environment {
 public:
  void SetUp() override;
  void TearDown() override;

 private:
  std::unique_ptr<QProcess> bus_;
};
