#include "ui/resource_manager.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QXmlStreamReader>

#include <cmath>

namespace zt640::ui {

ResourceManager& ResourceManager::Instance() {
  static ResourceManager manager;
  return manager;
}

void ResourceManager::SetResourcePath(const QString& folder) { folder_ = folder; }

bool ResourceManager::LoadResource(const QString& index_file, QString* error) {
  const QString path = QDir(folder_).filePath(index_file);
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    if (error != nullptr) *error = QStringLiteral("resource index %1 is missing").arg(path);
    return false;
  }
  QXmlStreamReader xml(&file);
  QHash<QString, QString> skins;
  bool saw_root = false;
  while (!xml.atEnd()) {
    if (xml.readNext() != QXmlStreamReader::StartElement) continue;
    if (!saw_root) {
      if (xml.name() != QLatin1String("Resources")) break;
      saw_root = true;
    } else if (xml.name() == QLatin1String("Skin")) {
      const QString id = xml.attributes().value(QLatin1String("id")).toString();
      const QString skin = xml.attributes().value(QLatin1String("file")).toString();
      if (!id.isEmpty() && !skin.isEmpty()) skins.insert(id, skin);
    }
  }
  if (!saw_root || xml.hasError()) {
    if (error != nullptr) *error = QStringLiteral("resource index %1 is not valid").arg(path);
    return false;
  }
  skins_ = std::move(skins);
  return true;
}

QString ResourceManager::SkinPath(const QString& id_or_file) const {
  return QDir(folder_).filePath(skins_.value(id_or_file, id_or_file));
}

bool ResourceManager::LoadLanguage(const QString& file_name, QString* error) {
  return language_.LoadLanguage(QDir(folder_).filePath(file_name), error);
}

QString ResourceManager::StyleSheet(int dpi) const {
  QFile file(QDir(folder_).filePath(QStringLiteral("style.qss")));
  if (!file.open(QIODevice::ReadOnly)) return {};
  return ScaleStyleSheet(QString::fromUtf8(file.readAll()), dpi);
}

void ResourceManager::Release() { skins_.clear(); }

QString ScaleStyleSheet(const QString& sheet, int dpi) {
  if (dpi == 96 || dpi <= 0) return sheet;
  static const QRegularExpression pixels(QStringLiteral("(\\d+)px"));
  QString scaled;
  qsizetype last = 0;
  for (auto it = pixels.globalMatch(sheet); it.hasNext();) {
    const QRegularExpressionMatch match = it.next();
    scaled += sheet.mid(last, match.capturedStart() - last);
    const int value = match.captured(1).toInt();
    int result = static_cast<int>(std::lround(value * dpi / 96.0));
    if (value != 0 && result == 0) result = 1;
    scaled += QString::number(result) + QStringLiteral("px");
    last = match.capturedEnd();
  }
  scaled += sheet.mid(last);
  return scaled;
}

}  // namespace zt640::ui
