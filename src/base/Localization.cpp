#include "Localization.h"

#include <QLocale>
#include <QTranslator>
#include <memory>
#include <mutex>
#include <shared_mutex>

namespace {

constexpr char kContext[] = "Quillory";
constexpr char kTranslationFolder[] = ":/i18n";

struct Table {
  std::shared_mutex lock;
  std::unique_ptr<QTranslator> translator;
  std::once_flag loaded;
};

Table& table() {
  static Table instance;
  return instance;
}

std::unique_ptr<QTranslator> loadTranslator(const QStringList& languages) {
  auto translator = std::make_unique<QTranslator>();
  for (QString language : languages) {
    language.replace(u'-', u'_');
    while (!language.isEmpty()) {
      if (translator->load(QStringLiteral("quillory_") + language, QLatin1String(kTranslationFolder)))
        return translator;
      const qsizetype cut = language.lastIndexOf(u'_');
      language = cut > 0 ? language.left(cut) : QString();
    }
  }
  if (translator->load(QStringLiteral("quillory_en"), QLatin1String(kTranslationFolder))) return translator;
  return nullptr;
}

void ensureLoaded() {
  std::call_once(table().loaded, [] {
    auto translator = loadTranslator(Localization::userLanguages());
    std::unique_lock locker(table().lock);
    if (!table().translator) table().translator = std::move(translator);
  });
}

}  // namespace

QString localized(const QString& key) {
  ensureLoaded();
  std::shared_lock locker(table().lock);
  if (!table().translator) return key;
  const QString text = table().translator->translate(kContext, key.toUtf8().constData());
  return text.isEmpty() ? key : text;
}

namespace Localization {

void useLanguages(const QStringList& languages) {
  ensureLoaded();
  auto translator = loadTranslator(languages);
  std::unique_lock locker(table().lock);
  table().translator = std::move(translator);
}

QStringList userLanguages() { return QLocale::system().uiLanguages(); }

}  // namespace Localization
