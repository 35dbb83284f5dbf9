#pragma once

#include <gtest/gtest.h>

#include "Localization.h"
#include "PelluxClientAppDelegate.h"
#include "PreferenceStore.h"
#include "RecordStore.h"
#include "ScriptedUserInterface.h"
#include "TestEnvironment.h"

// A controller with a scripted window, its own settings file and its own data folder.
class AppFixture : public testing::Test {
 protected:
  AppFixture() { Localization::useLanguages({QStringLiteral("en")}); }

  QString folder = TestEnvironment::freshFolder();
  ScriptedUserInterface ui;
  PreferenceStore preferences{folder + QStringLiteral("/config/Quillory.plist")};
  RecordStore store{folder + QStringLiteral("/data")};
  PelluxClientAppDelegate app{ui, preferences, store};
};
