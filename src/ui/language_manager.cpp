#include "ui/language_manager.h"

#include <QFile>
#include <QWidget>
#include <QXmlStreamReader>

#include <exception>
#include <fstream>
#include <sstream>

#include <json/json.h>

namespace zt640::ui {

namespace {
constexpr const char* kTextKey = "textKey";
constexpr const char* kToolTipKey = "toolTipKey";

bool HasKey(const QWidget* widget) {
  return widget->property(kTextKey).isValid() || widget->property(kToolTipKey).isValid();
}
}  // namespace

LanguageManager::LanguageManager(QObject* parent) : QObject(parent) {}

std::vector<LanguageEntry> LanguageManager::ReadLanguageList(const QString& config_path) {
  std::vector<LanguageEntry> entries;
  std::ifstream in(config_path.toStdString(), std::ios::binary);
  if (!in) return entries;
  Json::Value root;
  Json::CharReaderBuilder builder;
  std::string errors;
  try {
    if (!Json::parseFromStream(builder, in, &root, &errors) || !root.isObject()) return entries;
  } catch (const std::exception&) {
    return entries;  // nesting beyond the reader's stack limit
  }
  const Json::Value& list = root["Language"];
  if (!list.isArray()) return entries;
  for (const Json::Value& item : list) {
    if (!item.isObject()) continue;
    LanguageEntry entry;
    entry.id = item["Language_ID"].isInt() ? item["Language_ID"].asInt() : 0;
    entry.name = QString::fromStdString(item["Language_name"].isString() ? item["Language_name"].asString() : "");
    entry.file = QString::fromStdString(item["Language_file"].isString() ? item["Language_file"].asString() : "");
    entry.text = QString::fromStdString(item["Language_text"].isString() ? item["Language_text"].asString() : "");
    entries.push_back(entry);
  }
  return entries;
}

bool LanguageManager::LoadLanguage(const QString& file_path, QString* error) {
  QFile file(file_path);
  if (!file.open(QIODevice::ReadOnly)) {
    if (error != nullptr) *error = QStringLiteral("cannot open language file %1").arg(file_path);
    return false;
  }
  QXmlStreamReader xml(&file);
  QHash<QString, QString> texts;
  QHash<QString, QString> short_texts;
  QString name;
  bool saw_root = false;
  while (!xml.atEnd()) {
    if (xml.readNext() != QXmlStreamReader::StartElement) continue;
    if (!saw_root) {
      if (xml.name() != QLatin1String("Language")) break;
      saw_root = true;
      name = xml.attributes().value(QLatin1String("name")).toString();
    } else if (xml.name() == QLatin1String("Text")) {
      const QString key = xml.attributes().value(QLatin1String("key")).toString();
      if (key.isEmpty()) continue;
      texts.insert(key, xml.attributes().value(QLatin1String("value")).toString());
      const QString short_text = xml.attributes().value(QLatin1String("short")).toString();
      if (!short_text.isEmpty()) short_texts.insert(key, short_text);
    }
  }
  if (!saw_root || xml.hasError()) {
    if (error != nullptr) {
      *error = QStringLiteral("language file %1 is not valid: %2")
                   .arg(file_path, xml.hasError() ? xml.errorString() : QStringLiteral("no <Language> root"));
    }
    return false;
  }
  texts_ = std::move(texts);
  short_texts_ = std::move(short_texts);
  name_ = name;
  for (const QPointer<QWidget>& widget : bound_) {
    if (widget) Apply(widget);
  }
  emit LanguageChanged();
  return true;
}

QString LanguageManager::Text(const QString& key) const { return texts_.value(key, key); }

QString LanguageManager::ShortText(const QString& key) const {
  const auto found = short_texts_.constFind(key);
  return found != short_texts_.constEnd() ? *found : Text(key);
}

void LanguageManager::Bind(QWidget* root) {
  if (root == nullptr) return;
  QList<QWidget*> widgets = root->findChildren<QWidget*>();
  widgets.prepend(root);
  for (QWidget* widget : widgets) {
    if (!HasKey(widget)) continue;
    bool known = false;
    for (const QPointer<QWidget>& existing : bound_) known = known || existing == widget;
    if (!known) bound_.append(widget);
    Apply(widget);
  }
  bound_.removeAll(QPointer<QWidget>());
}

void LanguageManager::Apply(QWidget* widget) const {
  const QVariant text_key = widget->property(kTextKey);
  if (text_key.isValid()) {
    const QString text = Text(text_key.toString());
    if (widget->isWindow()) {
      widget->setWindowTitle(text);
    } else if (widget->metaObject()->indexOfProperty("text") >= 0) {
      widget->setProperty("text", text);
    } else if (widget->metaObject()->indexOfProperty("title") >= 0) {
      widget->setProperty("title", text);
    }
  }
  const QVariant tip_key = widget->property(kToolTipKey);
  if (tip_key.isValid()) widget->setToolTip(Text(tip_key.toString()));
}

}  // namespace zt640::ui
