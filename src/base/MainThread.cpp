#include "MainThread.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>
#include <QTimer>
#include <memory>

namespace MainThread {

bool isMainThread() {
  const QCoreApplication* application = QCoreApplication::instance();
  return !application || QThread::currentThread() == application->thread();
}

void callAndWait(const std::function<void()>& call) {
  if (isMainThread()) {
    call();
    return;
  }
  QMetaObject::invokeMethod(QCoreApplication::instance(), call, Qt::BlockingQueuedConnection);
}

void runLoopFor(double seconds) {
  QEventLoop loop;
  QTimer::singleShot(int(seconds * 1000), &loop, &QEventLoop::quit);
  loop.exec();
}

void runBesideLoop(const std::function<void()>& work) {
  std::unique_ptr<QThread> thread(QThread::create(work));
  QEventLoop loop;
  // Queued to the loop's thread, so a thread that finishes before exec() still ends the loop.
  QObject::connect(thread.get(), &QThread::finished, &loop, &QEventLoop::quit, Qt::QueuedConnection);
  thread->start();
  loop.exec();
  thread->wait();
}

}  // namespace MainThread
