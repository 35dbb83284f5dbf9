#include <gtest/gtest.h>

#include <QCoreApplication>

#include "TestEnvironment.h"

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  TestEnvironment::isolateUserFolders();
  QCoreApplication application(argc, argv);
  return RUN_ALL_TESTS();
}
