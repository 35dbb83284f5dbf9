// quillory: the desktop program.

#include <QApplication>
#include <QTimer>

#include "AppInfo.h"
#include "MainWindow.h"
#include "PelluxAccount.h"
#include "PelluxClientAppDelegate.h"
#include "PelluxClientPreference.h"
#include "PreferenceStore.h"
#include "QuitOnSignal.h"
#include "RecordStore.h"
#include "ScannerCommands.h"
#include "SecretStore.h"
#include "WidgetsInterface.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QApplication::setApplicationName(QLatin1String(AppInfo::kApplicationName));
  QApplication::setApplicationDisplayName(QLatin1String(AppInfo::kDisplayName));
  QApplication::setApplicationVersion(QLatin1String(AppInfo::kVersion));
  QApplication::setDesktopFileName(QLatin1String(AppInfo::kApplicationIdentifier));
  quitOnTerminationSignals();
  PelluxClientPreference::preparePreference();

  WidgetsInterface windows;
  PelluxClientAppDelegate app(windows, PreferenceStore::shared(), RecordStore::shared());
  PelluxAccount account(app, SecretStore::desktop());
  ScannerCommands scanner(app);
  windows.attach(app);
  app.awakeFromNib();
  QObject::connect(&application, &QGuiApplication::applicationStateChanged, &app, [&app](Qt::ApplicationState state) {
    if (state == Qt::ApplicationInactive) app.applicationWillResignActive();
  });
  QObject::connect(&application, &QCoreApplication::aboutToQuit, &app,
                   &PelluxClientAppDelegate::applicationWillTerminate);
  windows.mainWindow()->show();
  QTimer::singleShot(0, &app, &PelluxClientAppDelegate::applicationDidFinishLaunching);
  return application.exec();
}
