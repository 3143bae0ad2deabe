#include "ui/skin_loader.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QWidget>

#include "ui/resource_manager.h"
#include "ui/skin_scale.h"

namespace zt640::ui {

namespace {
/// The application's library paths while a loader's base is constructed (UI thread).
QStringList& SetAsidePaths() {
  static QStringList paths;
  return paths;
}

/// Empties the library paths until the loader's base is constructed: that
/// constructor otherwise loads every Qt Designer plugin installed (one pulls in the
/// whole Qt Quick stack) though no skin uses one. Plugin factories that already
/// scanned the paths keep what they found. Returns `parent`.
QObject* WithoutLibraryPaths(QObject* parent) {
  SetAsidePaths() = QCoreApplication::libraryPaths();
  QCoreApplication::setLibraryPaths({});
  return parent;
}
}  // namespace

SkinLoader::SkinLoader(const ControlFactory& factory, BuilderCallback* callback, QObject* parent)
    : QUiLoader(WithoutLibraryPaths(parent)), factory_(factory), callback_(callback) {
  QCoreApplication::setLibraryPaths(SetAsidePaths());
}

QWidget* SkinLoader::Build(const QString& file_path, QWidget* parent, QString* error) {
  QFile file(file_path);
  if (!file.open(QIODevice::ReadOnly)) {
    if (error != nullptr) *error = QStringLiteral("skin file %1 is missing or unreadable").arg(file_path);
    return nullptr;
  }
  setWorkingDirectory(QFileInfo(file_path).absoluteDir());
  QWidget* root = load(&file, parent);
  // A skin built after the scale was chosen starts at that scale.
  if (root != nullptr) ApplySkinScale(root, ResourceManager::Instance().ScaleFactor());
  if (root == nullptr && error != nullptr) {
    *error = QStringLiteral("skin file %1 is not a valid skin: %2").arg(file_path, errorString());
  }
  return root;
}

QWidget* SkinLoader::createWidget(const QString& class_name, QWidget* parent, const QString& name) {
  QWidget* control = callback_ != nullptr ? callback_->CreateControl(class_name, parent) : nullptr;
  if (control == nullptr) control = factory_.Create(class_name, parent);
  if (control == nullptr) return QUiLoader::createWidget(class_name, parent, name);
  control->setObjectName(name);
  return control;
}

}  // namespace zt640::ui
